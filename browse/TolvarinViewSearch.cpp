#include "browse/TolvarinView.h"

// Placeholder until the body-text search is in place.
void CTolvarinView::SearchBody(CSqlSelect&, const std::string&) {}

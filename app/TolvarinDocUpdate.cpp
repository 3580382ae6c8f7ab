#include "app/TolvarinDoc.h"

// Placeholder until the online update is in place.
void CTolvarinDoc::OnSmartUpdate() {}

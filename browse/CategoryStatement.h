#pragma once

#include <string>

class CEditionConfig;

// The listing statement of a category of the current edition: every law filed under the
// category or any category below it, newest first; 0 (or less) lists all laws of the edition.
std::string CategoryStatement(const CEditionConfig& config, int categoryId);

#include "data/CollectionFile.h"

#include "ground/AppConstants.h"

#include <mutex>

namespace {

std::mutex g_collectionLock;
std::string g_strCollectionFile = kDatabaseFileName;

} // namespace

void SetCollectionFile(const std::string& path) {
    std::lock_guard lock(g_collectionLock);
    g_strCollectionFile = path;
}

std::string GetCollectionFile() {
    std::lock_guard lock(g_collectionLock);
    return g_strCollectionFile;
}

std::string GetConnectionString() {
    const std::string file = GetCollectionFile();
    if (file.empty())
        return {};
    if (file == kDatabaseFileName)
        return kConnectionString;
    // A path with a ';' in it would end the Data Source early: quote it.
    const bool quote = file.find(';') != std::string::npos;
    return std::string("Provider=Microsoft.Jet.OLEDB.4.0;User ID=Admin;Data Source=") +
           (quote ? "\"" + file + "\"" : file) + ";Persist Security Info=False";
}

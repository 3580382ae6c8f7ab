#pragma once

#include <string>

// The collection file that every connection of the program opens (the document's, the
// law-list worker's and the update workers'). It is db1.mdb of the working directory until
// start-up or 文件 → 打开 names another; empty while the program has no collection at all.
// Set on the GUI thread while no worker holds a connection; read from any thread.

void SetCollectionFile(const std::string& path);
std::string GetCollectionFile();

// The program's connection string with the collection file as its Data Source; empty while
// there is no collection.
std::string GetConnectionString();

#pragma once

// The one connection string every connection of the program uses. Its Data Source names the
// SQLite database file, looked up relative to the working directory.
inline constexpr const char* kConnectionString =
    "Provider=Microsoft.Jet.OLEDB.4.0;User ID=Admin;Data Source=db1.mdb;Persist Security Info=False";

inline constexpr const char* kDatabaseFileName = "db1.mdb";
inline constexpr const char* kProductName = "Tolvarin";
inline constexpr const char* kProductVersion = "1.0.0";

// tolvarin-admin: makes law databases for Tolvarin — empty ones, the demo collection, imports
// of a JSON Lines corpus and synthetic collections of any size.

#include "data/CitationParser.h"
#include "data/CitationTable.h"
#include "data/Schema.h"
#include "data/SearchIndex.h"
#include "data/TreeNode.h"
#include "ground/AppConstants.h"
#include "ground/ProgressMeter.h"
#include "tools/admin/CollectionCopier.h"
#include "tools/admin/CollectionGenerator.h"
#include "tools/admin/CollectionWriter.h"
#include "tools/admin/CorpusImporter.h"
#include "tools/admin/DemoCollection.h"
#include "tools/admin/OutputFile.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <sqlite3.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const char* const kUsage =
    "Usage: tolvarin-admin COMMAND [OPTIONS] [FILE]\n"
    "\n"
    "Makes law databases for Tolvarin. FILE defaults to db1.mdb in the working directory.\n"
    "\n"
    "Commands:\n"
    "  init [--force] [FILE]             create an empty database with both editions' tables\n"
    "  demo [--force] [FILE]             create the sample collection (both editions)\n"
    "  import CORPUS.jsonl[.xz] [--edition zh|en] [--append | --force] [--journal delete] [FILE]\n"
    "                                    file every law of a JSON Lines corpus (plain or\n"
    "                                    xz-compressed, e.g. corpus/laws-zh.jsonl.xz)\n"
    "  generate --laws N [--categories M] [--body-chars C] [--seed S] [--corpus CORPUS.jsonl]\n"
    "           [--edition zh|en] [--force] [FILE]\n"
    "                                    create a synthetic collection for benchmarks\n"
    "  info [FILE]                       print what a database holds\n"
    "  citations [--law ID] [--unresolved] [--edition zh|en] [FILE]\n"
    "                                    print the citations between the laws, one a line:\n"
    "                                    citing lawid, its article, cited lawid, cited\n"
    "                                    article, the citation's text (tab-separated);\n"
    "                                    --unresolved: those of laws not in the collection\n"
    "  copy [--force] SOURCE TARGET      copy a whole collection between an SQLite FILE and a\n"
    "                                    PostgreSQL database (postgresql://...), either way\n"
    "\n"
    "Options:\n"
    "  --force     replace an existing FILE\n"
    "  --append    import into an existing FILE\n"
    "  --db URI    import into a PostgreSQL database (postgresql://...) instead of a FILE;\n"
    "              creates the publisher's tables there (--force replaces a collection)\n"
    "  --journal delete\n"
    "              leave FILE in rollback journaling, for a collection installed read-only\n"
    "  --law ID    citations: only those in the law ID\n"
    "  --unresolved\n"
    "              citations: only the titles the collection lacks\n"
    "  --quiet     show no progress (import, generate and copy show it on a terminal)\n"
    "  --help      show this text\n"
    "  --version   show the version\n";

struct Args {
    std::string command;
    std::vector<std::string> positional;
    bool force = false;
    bool append = false;
    bool quiet = false;
    std::string edition = "zh";
    long long laws = -1;
    int categories = 200;
    int bodyChars = 5400;
    unsigned seed = 1;
    std::string corpus;
    std::string db;
    std::string journal;
    long long law = 0;
    bool unresolved = false;
};

// The progress line of the running command; erased before anything else is said.
CProgressMeter* g_pMeter = nullptr;

void EndProgress() {
    if (g_pMeter)
        g_pMeter->Finish();
}

int Fail(const std::string& message) {
    EndProgress();
    std::fprintf(stderr, "tolvarin-admin: %s\n", message.c_str());
    return 2;
}

bool ParseNumber(const char* text, long long min, long long max, long long& out) {
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(text, &end, 10);
    if (errno || end == text || *end || v < min || v > max)
        return false;
    out = v;
    return true;
}

// Parses the command line; answers -1 to go on, else an exit code.
int Parse(int argc, char** argv, Args& args) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](const char* name) -> const char* {
            if (i + 1 >= argc) {
                Fail(std::string(name) + " needs a value");
                return nullptr;
            }
            return argv[++i];
        };
        long long n = 0;
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a == "--version") {
            std::printf("tolvarin-admin %s\n", kProductVersion);
            return 0;
        } else if (a == "--force") {
            args.force = true;
        } else if (a == "--append") {
            args.append = true;
        } else if (a == "--quiet" || a == "-q") {
            args.quiet = true;
        } else if (a == "--edition") {
            const char* v = value("--edition");
            if (!v)
                return 2;
            args.edition = v;
            if (args.edition != "zh" && args.edition != "en")
                return Fail("--edition must be zh or en");
        } else if (a == "--laws") {
            const char* v = value("--laws");
            if (!v || !ParseNumber(v, 0, 100000000, n))
                return Fail("--laws needs a number from 0 to 100000000");
            args.laws = n;
        } else if (a == "--categories") {
            const char* v = value("--categories");
            if (!v || !ParseNumber(v, 0, 1000000, n))
                return Fail("--categories needs a number from 0 to 1000000");
            args.categories = static_cast<int>(n);
        } else if (a == "--body-chars") {
            const char* v = value("--body-chars");
            if (!v || !ParseNumber(v, 10, 10000000, n))
                return Fail("--body-chars needs a number from 10 to 10000000");
            args.bodyChars = static_cast<int>(n);
        } else if (a == "--seed") {
            const char* v = value("--seed");
            if (!v || !ParseNumber(v, 0, 4294967295LL, n))
                return Fail("--seed needs a number");
            args.seed = static_cast<unsigned>(n);
        } else if (a == "--db") {
            const char* v = value("--db");
            if (!v)
                return 2;
            args.db = v;
            if (!CCollectionCopier::IsPostgres(args.db))
                return Fail("--db takes a PostgreSQL URI (postgresql://...)");
        } else if (a == "--journal") {
            const char* v = value("--journal");
            if (!v)
                return 2;
            args.journal = v;
            if (args.journal != "delete" && args.journal != "wal")
                return Fail("--journal must be delete or wal");
        } else if (a == "--law") {
            const char* v = value("--law");
            if (!v || !ParseNumber(v, 1, 2147483647LL, n))
                return Fail("--law needs a lawid (a number from 1)");
            args.law = n;
        } else if (a == "--unresolved") {
            args.unresolved = true;
        } else if (a == "--corpus") {
            const char* v = value("--corpus");
            if (!v)
                return 2;
            args.corpus = v;
        } else if (a.size() > 1 && a[0] == '-') {
            return Fail("unknown option " + a + " (see --help)");
        } else if (args.command.empty()) {
            args.command = a;
        } else {
            args.positional.push_back(a);
        }
    }
    if (args.command.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    return -1;
}

// Progress of a collection being written: the laws (when the command has no better count
// of its own) and the search index filled at the edition's end.
CCollectionWriter::ProgressHook WriterProgress(CProgressMeter& meter, const std::string& command,
                                               bool countLaws) {
    if (!meter.IsShown())
        return {};
    return [&meter, command, countLaws, counted = false](CCollectionWriter::Phase phase,
                                                         long long done, long long total) mutable {
        if (phase == CCollectionWriter::Phase::kLaws) {
            if (countLaws)
                meter.Update(done);
        } else if (total < 0) {
            counted = false;
            meter.Begin(
                command + (done < 0 ? ": merging the search index" : ": filling the search index"),
                "");
        } else {
            if (!counted)
                meter.Begin(command + ": search index", "laws", total);
            counted = true;
            meter.Update(done);
        }
    };
}

// Progress of an import: the laws filed and the share of the corpus read.
CCorpusImporter::Progress ReadProgress(CProgressMeter& meter) {
    if (!meter.IsShown())
        return {};
    return [&meter](long long laws, double fraction) { meter.Update(laws, fraction); };
}

// Progress of a copy, a stage per table.
CCollectionCopier::Progress CopyProgress(CProgressMeter& meter) {
    if (!meter.IsShown())
        return {}; // nor are the tables counted
    return [&meter](const std::string& table, long long done, long long total) {
        if (done == 0 && total != 0) // an empty table (an edition not filled) is no stage
            meter.Begin("copy " + table, "rows", total);
        else
            meter.Update(done);
    };
}

// Tells what the category id coding could not hold; the laws are all there, filed higher.
void ReportCategoryLimits(const CCollectionWriter& writer) {
    EndProgress();
    if (const long long n = writer.GetDeepPathCount())
        std::fprintf(stderr,
                     "tolvarin-admin: warning: %lld category paths have more than 5 levels; "
                     "their laws are filed under the fifth\n",
                     n);
    if (const long long n = writer.GetFullParentCount())
        std::fprintf(stderr,
                     "tolvarin-admin: warning: %lld category paths filed higher than they name: "
                     "a category there already has as many children as category ids allow (62 "
                     "at the top, 63 below, 127 at the fifth level)\n",
                     n);
    if (const long long n = writer.GetUnfiledLawCount())
        std::fprintf(stderr,
                     "tolvarin-admin: warning: %lld laws have no category; they are listed only "
                     "under all laws\n",
                     n);
}

// Rollback journaling lets readers without write access to the folder open the file.
bool SetJournal(const std::string& file, const std::string& mode, std::string& error) {
    sqlite3* db = nullptr;
    bool ok = sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK &&
              sqlite3_exec(db, ("PRAGMA journal_mode=" + mode).c_str(), nullptr, nullptr,
                           nullptr) == SQLITE_OK;
    if (!ok)
        error = db ? sqlite3_errmsg(db) : "out of memory";
    sqlite3_close(db);
    return ok;
}

int Info(const std::string& file) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        const std::string error = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        return Fail(file + ": " + error);
    }
    int rc = 0;
    for (const char* prefix : {"", "en_"}) {
        const std::string p = prefix;
        std::printf("%s edition:\n", p.empty() ? "Chinese" : "English");
        // Categories depth first with the number of laws filed in each subtree.
        std::string sql =
            "select name,id,parid,childs from " + p + "dorntree order by parid, xh desc";
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
            std::fprintf(stderr, "  %s\n", sqlite3_errmsg(db));
            rc = 1;
            continue;
        }
        struct Node {
            std::string name;
            int id;
        };
        std::vector<std::pair<int, Node>> nodes;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
            nodes.push_back(
                {sqlite3_column_int(stmt, 2), {name ? name : "", sqlite3_column_int(stmt, 1)}});
        }
        sqlite3_finalize(stmt);
        auto count = [&](const std::string& q) {
            sqlite3_stmt* s = nullptr;
            long long n = -1;
            if (sqlite3_prepare_v2(db, q.c_str(), -1, &s, nullptr) == SQLITE_OK &&
                sqlite3_step(s) == SQLITE_ROW)
                n = sqlite3_column_int64(s, 0);
            sqlite3_finalize(s);
            return n;
        };
        std::printf("  %lld laws, %zu categories, %lld links\n",
                    count("select count(*) from " + p + "dornlaws"), nodes.size(),
                    count("select count(*) from " + p + "dornlawas"));
        std::function<void(int, int)> print = [&](int parent, int depth) {
            for (const auto& [parid, node] : nodes) {
                if (parid != parent)
                    continue;
                CTreeNode range;
                range.SetNodeId(node.id);
                const long long laws = count("select count(distinct lawid) from " + p +
                                             "dornlawas where treeid>=" + std::to_string(node.id) +
                                             " and treeid<" + std::to_string(range.GetRangeEnd()));
                std::printf("  %*s%s (%lld)\n", depth * 2, "", node.name.c_str(), laws);
                if (depth < 6)
                    print(node.id, depth + 1);
            }
        };
        if (nodes.size() <= 200)
            print(0, 0);
    }
    sqlite3_close(db);
    return rc;
}

// One field of a tab-separated line: tabs and line breaks inside it become blanks.
std::string Field(std::string text) {
    for (char& c : text)
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    return text;
}

// Prints the citations of an edition's laws. The table is brought up to date first where the
// file can be written (the laws logged since it was last kept, or the whole of it when it is
// missing); a file that cannot be written is read as it is.
int Citations(const std::string& file, const Args& args) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec))
        return Fail(file + ": no such database file");
    CSearchIndex::RegisterEverywhere();
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        const std::string error = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        return Fail(file + ": " + error);
    }
    sqlite3_busy_timeout(db, 60000);
    std::string missing;
    if (!CSchema::CheckCollection(db, missing)) {
        sqlite3_close(db);
        return Fail(file + ": " + CSchema::NoCollectionText(missing));
    }
    const std::string table = args.edition == "en" ? "en_dornlaws" : "dornlaws";
    std::string error;
    if (CSearchIndex::BuiltUpTo(db, table) >= 0) {
        if (sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK) {
            const bool folded = CSearchIndex::Fold(db, table, error);
            sqlite3_exec(db, folded ? "COMMIT" : "ROLLBACK", nullptr, nullptr, nullptr);
        }
        if (CCitationTable::IsOutdated(db, table))
            CCitationTable::Drop(db, table, error);
        if (CCitationTable::BuiltUpTo(db, table) < 0)
            CCitationTable::Create(db, table, error);
        long long done = 0, total = 0;
        while (CCitationTable::BuildStep(db, table, 2000, done, total, error) == 1) {
        }
    }
    if (CCitationTable::BuiltUpTo(db, table) != CCitationTable::kComplete) {
        sqlite3_close(db);
        return Fail(file + ": the citations of its laws cannot be listed (" +
                    (error.empty() ? std::string("no citation table") : error) + ")");
    }
    const bool ok = CCitationTable::Each(
        db, table, static_cast<int>(args.law),
        [&](const CCitingRow& row, const std::vector<int>& named) {
            const std::string head = std::to_string(row.m_nLawId) + '\t' +
                                     CCitationParser::ArticleLabel(row.m_nArticle) + '\t';
            const std::string tail = '\t' + CCitationParser::ArticleLabel(row.m_nCited) + '\t' +
                                     Field(row.m_strText) + '\n';
            if (args.unresolved) {
                if (named.empty())
                    std::fputs((head + tail).c_str(), stdout);
            } else {
                for (int lawid : named)
                    std::fputs((head + std::to_string(lawid) + tail).c_str(), stdout);
            }
            return !std::ferror(stdout);
        });
    sqlite3_close(db);
    if (!ok)
        return Fail(file + ": the citations could not be read");
    return std::fflush(stdout) == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    Args args;
    if (const int rc = Parse(argc, argv, args); rc >= 0)
        return rc;
    const std::string& cmd = args.command;
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    auto elapsed = [&] { return std::chrono::duration<double>(Clock::now() - start).count(); };
    std::string error;
    // Progress goes to a terminal only: a pipe or a file gets the result lines alone.
    CProgressMeter meter(CProgressMeter::ShouldShow(isatty(STDERR_FILENO) != 0, args.quiet)
                             ? CProgressMeter::StandardError()
                             : nullptr);
    g_pMeter = &meter;

    if (cmd == "info") {
        if (args.positional.size() > 1)
            return Fail("info takes one FILE");
        return Info(args.positional.empty() ? kDatabaseFileName : args.positional[0]);
    }
    if (cmd == "citations") {
        if (args.positional.size() > 1)
            return Fail("citations takes one FILE");
        return Citations(args.positional.empty() ? kDatabaseFileName : args.positional[0], args);
    }
    if (cmd == "init" || cmd == "demo") {
        if (args.positional.size() > 1)
            return Fail(cmd + " takes one FILE");
        const std::string file = args.positional.empty() ? kDatabaseFileName : args.positional[0];
        COutputFile out;
        if (!out.Begin(file, args.force, error) ||
            !CSchema::CreateDatabase(out.Path(), false, error))
            return Fail(file + ": " + error);
        if (cmd == "demo") {
            CCollectionWriter writer;
            if (!writer.Open(out.Path(), error) || !CDemoCollection::Write(writer, error))
                return Fail(file + ": " + error);
        }
        if (!out.Commit(error))
            return Fail(error);
        std::printf("%s: %s database written\n", file.c_str(), cmd == "demo" ? "demo" : "empty");
        return 0;
    }
    if (cmd == "copy") {
        if (args.positional.size() != 2)
            return Fail("copy needs SOURCE and TARGET");
        const long long rows = CCollectionCopier::Copy(args.positional[0], args.positional[1],
                                                       args.force, error, CopyProgress(meter));
        if (rows < 0)
            return Fail(error);
        EndProgress();
        std::printf("%lld rows copied in %.2f s\n", rows, elapsed());
        return 0;
    }
    if (cmd == "import" && !args.db.empty()) {
        if (args.positional.size() != 1)
            return Fail("import --db needs CORPUS.jsonl alone");
        if (!std::filesystem::exists(args.positional[0]))
            return Fail("no corpus at " + args.positional[0]);
        meter.Begin("import", "laws");
        CCollectionCopier::ImportProgress progress;
        progress.read = ReadProgress(meter);
        progress.write = WriterProgress(meter, "import", false);
        progress.copy = CopyProgress(meter);
        const long long n = CCollectionCopier::ImportCorpus(args.positional[0], args.edition,
                                                            args.db, args.force, error, progress);
        if (n < 0)
            return Fail(error);
        EndProgress();
        std::printf("%lld laws imported in %.2f s\n", n, elapsed());
        return 0;
    }
    if (cmd == "import") {
        if (args.positional.empty() || args.positional.size() > 2)
            return Fail("import needs CORPUS.jsonl and at most one FILE");
        const std::string corpus = args.positional[0];
        const std::string file =
            args.positional.size() > 1 ? args.positional[1] : kDatabaseFileName;
        if (!std::filesystem::exists(corpus))
            return Fail("no corpus at " + corpus);
        const bool exists = std::filesystem::exists(file);
        // Into an existing file the import is one transaction, which a failure rolls back;
        // a new file is written aside and moved into place at the end.
        const bool append = exists && args.append;
        COutputFile out;
        if (!append && (!out.Begin(file, args.force, error) ||
                        !CSchema::CreateDatabase(out.Path(), false, error)))
            return Fail(file + ": " + error + (exists ? " (or use --append to add to it)" : ""));
        long long n = 0;
        {
            CCollectionWriter writer;
            writer.SetProgressHook(WriterProgress(meter, "import", false));
            if (!writer.Open(append ? file : out.Path(), error, !append) ||
                !writer.BeginEdition(args.edition == "en" ? "en_" : "", error))
                return Fail(file + ": " + error);
            meter.Begin("import", "laws");
            n = CCorpusImporter::Import(corpus, writer, error, ReadProgress(meter));
            if (n < 0 || !writer.EndEdition(error))
                return Fail(error + (append   ? " (nothing imported)"
                                     : exists ? " (" + file + " left as it was)"
                                              : " (no database written)"));
            ReportCategoryLimits(writer);
        }
        if (!append && !out.Commit(error))
            return Fail(error);
        if (!args.journal.empty() && !SetJournal(file, args.journal, error))
            return Fail(file + ": " + error);
        EndProgress();
        std::printf("%s: %lld laws imported in %.2f s\n", file.c_str(), n, elapsed());
        return 0;
    }
    if (cmd == "generate") {
        if (args.laws < 0)
            return Fail("generate needs --laws N");
        if (args.positional.size() > 1)
            return Fail("generate takes one FILE");
        const std::string file = args.positional.empty() ? kDatabaseFileName : args.positional[0];
        COutputFile out;
        if (!out.Begin(file, args.force, error) ||
            !CSchema::CreateDatabase(out.Path(), false, error))
            return Fail(file + ": " + error);
        CCollectionGenerator::Options options;
        options.laws = args.laws;
        options.categories = args.categories;
        options.averageBodyChars = args.bodyChars;
        options.seed = args.seed;
        options.corpus = args.corpus;
        {
            CCollectionWriter writer;
            writer.SetProgressHook(WriterProgress(meter, "generate", true));
            meter.Begin("generate", "laws", args.laws);
            if (!writer.Open(out.Path(), error, true) ||
                !writer.BeginEdition(args.edition == "en" ? "en_" : "", error) ||
                !CCollectionGenerator::Generate(options, writer, error) ||
                !writer.EndEdition(error))
                return Fail(file + ": " + error);
            ReportCategoryLimits(writer);
        }
        if (!out.Commit(error))
            return Fail(error);
        EndProgress();
        std::printf("%s: %lld laws generated in %.2f s\n", file.c_str(), args.laws, elapsed());
        return 0;
    }
    return Fail("unknown command " + cmd + " (see --help)");
}

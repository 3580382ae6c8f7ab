#include "data/DbRecordset.h"
#include "data/TreeNode.h"
#include "ground/EditionConfig.h"
#include "ground/MessageService.h"
#include "tests/core/FaultVfs.h"
#include "tests/core/TestDb.h"
#include "tools/admin/CollectionGenerator.h"
#include "tools/admin/CollectionWriter.h"
#include "tools/admin/CorpusImporter.h"
#include "tools/admin/DemoCollection.h"
#include "tools/admin/OutputFile.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>

namespace {

// Laws listed for a category with the program's own listing statements.
std::vector<int> ListCategory(CDbConnection& db, const char* links, const char* laws, int id) {
    std::string sql;
    if (id == 0) {
        sql = std::string("select distinct lawid, topic, datum, wenhao, bumen from ") + laws +
              " order by datum DESC";
    } else {
        CTreeNode node;
        node.SetNodeId(id);
        sql = std::string("select distinct v.lawid as lawid,l.topic as topic,l.datum as datum,"
                          "l.wenhao as wenhao,l.bumen as bumen from (") +
              links + " v left join " + laws +
              " l on v.lawid=l.lawid) where v.treeid>=" + std::to_string(id) + " and v.treeid<" +
              std::to_string(node.GetRangeEnd()) + " order by datum DESC";
    }
    CDbRecordset rs;
    std::vector<int> ids;
    EXPECT_TRUE(rs.Open(&db, sql)) << db.GetLastError();
    while (!rs.IsEOF()) {
        int lawid = 0;
        rs.GetInt(lawid, "lawid");
        ids.push_back(lawid);
        rs.MoveNext();
    }
    return ids;
}

struct Category {
    int id;
    int parid;
    int childs;
};

std::vector<Category> Categories(CDbConnection& db, const char* table) {
    CDbRecordset rs;
    std::vector<Category> out;
    EXPECT_TRUE(rs.Open(&db, std::string("select * from ") + table));
    while (!rs.IsEOF()) {
        Category c{};
        rs.GetInt(c.id, "id");
        rs.GetInt(c.parid, "parid");
        rs.GetInt(c.childs, "childs");
        out.push_back(c);
        rs.MoveNext();
    }
    return out;
}

// Every category's id lies in its parent's range, childs counts its children, and each law
// is listed once under the root.
void ExpectConsistentTree(CDbConnection& db, const char* prefix) {
    const std::string p = prefix;
    const auto categories = Categories(db, (p + "dorntree").c_str());
    for (const Category& c : categories) {
        CTreeNode parent;
        parent.SetNodeId(c.parid);
        EXPECT_GT(c.id, c.parid);
        EXPECT_LT(c.id, parent.GetRangeEnd());
        CTreeNode self;
        self.SetNodeId(c.id);
        EXPECT_EQ(self.GetLevel(), parent.GetLevel() + 1) << c.id;
        int children = 0;
        for (const Category& d : categories)
            children += d.parid == c.id;
        EXPECT_EQ(c.childs, children) << c.id;
    }
    const auto all = ListCategory(db, (p + "dornlawas").c_str(), (p + "dornlaws").c_str(), 0);
    EXPECT_EQ(std::set<int>(all.begin(), all.end()).size(), all.size());
}

} // namespace

TEST(Admin, CorpusImportListsEveryLawUnderItsCategories) {
    const char* corpus = std::getenv("TOLVARIN_CORPUS");
    ASSERT_TRUE(corpus && std::filesystem::exists(corpus)) << "no corpus at TOLVARIN_CORPUS";
    CMessageRecorder boxes;
    TestDb fixture;
    {
        CCollectionWriter writer;
        std::string error;
        ASSERT_TRUE(writer.Open(fixture.File(), error)) << error;
        ASSERT_TRUE(writer.BeginEdition("", error)) << error;
        EXPECT_EQ(CCorpusImporter::Import(corpus, writer, error), 1557) << error;
        ASSERT_TRUE(writer.EndEdition(error)) << error;
    }
    CDbConnection db;
    fixture.Connect(db);
    EXPECT_EQ(ListCategory(db, "dornlawas", "dornlaws", 0).size(), 1557u);
    size_t filedUnderTopLevel = 0;
    for (const Category& c : Categories(db, "dorntree"))
        if (c.parid == 0)
            filedUnderTopLevel += ListCategory(db, "dornlawas", "dornlaws", c.id).size();
    EXPECT_EQ(filedUnderTopLevel, 1557u) << "each law once, under its top-level category";
    ExpectConsistentTree(db, "");
    EXPECT_TRUE(boxes.Messages().empty());
}

TEST(Admin, DemoAndGeneratedCollectionsAreConsistent) {
    CMessageRecorder boxes;
    TestDb demo;
    {
        CCollectionWriter writer;
        std::string error;
        ASSERT_TRUE(writer.Open(demo.File(), error));
        ASSERT_TRUE(CDemoCollection::Write(writer, error)) << error;
    }
    CDbConnection db;
    demo.Connect(db);
    // Siblings are shown by xh descending: the demo's categories in the order they were written.
    CDbRecordset top;
    ASSERT_TRUE(top.Open(&db, "select * from dorntree where parid=0 order by xh DESC"));
    std::string first;
    top.GetString(first, "name", -1);
    EXPECT_EQ(first, "宪法相关法（示例）");
    for (const auto& [prefix, laws] :
         {std::pair{"", "dornlaws"}, std::pair{"en_", "en_dornlaws"}}) {
        ExpectConsistentTree(db, prefix);
        const std::string links = std::string(prefix) + "dornlawas";
        EXPECT_GE(ListCategory(db, links.c_str(), laws, 0).size(), 24u);
    }

    TestDb generated;
    {
        CCollectionWriter writer;
        std::string error;
        CCollectionGenerator::Options options;
        options.laws = 300;
        options.categories = 150;
        options.averageBodyChars = 300;
        ASSERT_TRUE(writer.Open(generated.File(), error));
        ASSERT_TRUE(writer.BeginEdition("", error));
        ASSERT_TRUE(CCollectionGenerator::Generate(options, writer, error)) << error;
        ASSERT_TRUE(writer.EndEdition(error));
    }
    CDbConnection gen;
    generated.Connect(gen);
    ExpectConsistentTree(gen, "");
    int deepest = 0;
    for (const Category& c : Categories(gen, "dorntree")) {
        CTreeNode node;
        node.SetNodeId(c.id);
        deepest = std::max(deepest, node.GetLevel());
    }
    EXPECT_EQ(deepest, 5);
    EXPECT_EQ(ListCategory(gen, "dornlawas", "dornlaws", 0).size(), 300u);
    EXPECT_TRUE(boxes.Messages().empty());
}

namespace {

std::vector<std::string> Files(const std::filesystem::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string IntegrityCheck(const std::string& file) {
    CDbConnection db;
    if (!db.Connect(("Data Source=" + file).c_str(), 0))
        return db.GetLastError();
    CDbRecordset rs;
    std::string result;
    if (!rs.Open(&db, "PRAGMA integrity_check") || rs.IsEOF())
        return "cannot check";
    rs.GetString(result, "integrity_check", -1);
    return result;
}

} // namespace

TEST(Admin, NewDatabaseIsWrittenAsideAndMovedIntoPlaceAtTheEnd) {
    CMessageRecorder boxes;
    TempDir dir;
    const std::string target = dir.File("db1.mdb");
    std::string error;
    {
        // An older collection, which a failed replacement must leave as it was.
        COutputFile out;
        ASSERT_TRUE(out.Begin(target, false, error)) << error;
        ASSERT_TRUE(CSchema::CreateDatabase(out.Path(), false, error)) << error;
        {
            CCollectionWriter writer;
            ASSERT_TRUE(writer.Open(out.Path(), error) && CDemoCollection::Write(writer, error))
                << error;
        }
        ASSERT_TRUE(out.Commit(error)) << error;
    }
    EXPECT_EQ(Files(dir.Path()), std::vector<std::string>{"db1.mdb"});
    EXPECT_EQ(IntegrityCheck(target), "ok");
    const auto size = std::filesystem::file_size(target);

    COutputFile refused;
    EXPECT_FALSE(refused.Begin(target, false, error));
    EXPECT_NE(error.find("already exists"), std::string::npos) << error;

    // A full disk while the new file is made: no file is left behind, the old one stays.
    for (const bool replace : {true, false}) {
        SCOPED_TRACE(replace);
        const std::string file = replace ? target : dir.File("new.mdb");
        CFaultVfs vfs(dir.Path().string());
        vfs.SetSizeLimit(64 * 1024);
        COutputFile out;
        ASSERT_TRUE(out.Begin(file, replace, error)) << error;
        EXPECT_FALSE(CSchema::CreateDatabase(out.Path(), false, error));
        EXPECT_NE(error.find("full"), std::string::npos) << error;
    }
    EXPECT_EQ(Files(dir.Path()), std::vector<std::string>{"db1.mdb"});
    EXPECT_EQ(std::filesystem::file_size(target), size);
    EXPECT_EQ(IntegrityCheck(target), "ok");
    EXPECT_TRUE(boxes.Messages().empty());
}

// import --force onto a db1.mdb that is a link replaces the collection the link leads to and
// keeps the link; a target that is no regular file is refused, --force or not.
TEST(Admin, AReplacedDatabaseIsWrittenThroughItsLinkAndOnlyOverRegularFiles) {
    CMessageRecorder boxes;
    TempDir dir;
    std::filesystem::create_directory(dir.File("store"));
    const std::string real = dir.File("store/laws.mdb");
    std::string error;
    ASSERT_TRUE(CSchema::CreateDatabase(real, false, error)) << error;
    const std::string link = dir.File("db1.mdb");
    std::filesystem::create_symlink("store/laws.mdb", link);

    COutputFile out;
    ASSERT_TRUE(out.Begin(link, true, error)) << error;
    ASSERT_TRUE(CSchema::CreateDatabase(out.Path(), false, error)) << error;
    {
        CCollectionWriter writer;
        ASSERT_TRUE(writer.Open(out.Path(), error) && CDemoCollection::Write(writer, error))
            << error;
    }
    ASSERT_TRUE(out.Commit(error)) << error;
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(Files(dir.Path()), (std::vector<std::string>{"db1.mdb", "store"}));
    EXPECT_EQ(Files(dir.File("store")), std::vector<std::string>{"laws.mdb"});
    EXPECT_EQ(IntegrityCheck(real), "ok");
    CDbConnection db;
    const std::string connection =
        "Provider=Microsoft.Jet.OLEDB.4.0;User ID=Admin;Data Source=" + real +
        ";Persist Security Info=False";
    ASSERT_EQ(db.Connect(connection.c_str(), 0), 1) << db.GetLastError();
    EXPECT_FALSE(ListCategory(db, "dornlawas", "dornlaws", 0).empty());

    ASSERT_EQ(::mkfifo(dir.File("pipe.mdb").c_str(), 0600), 0);
    for (const std::string& target :
         {dir.File("pipe.mdb"), dir.File("store"), std::string("/dev/full")}) {
        SCOPED_TRACE(target);
        COutputFile refused;
        EXPECT_FALSE(refused.Begin(target, true, error));
        EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
    }
    EXPECT_TRUE(std::filesystem::is_fifo(dir.File("pipe.mdb")));
    EXPECT_TRUE(boxes.Messages().empty());
}

#pragma once
// A temporary profile database with a recorded conversation, and the
// helpers the saved-file tests share: golden files, hand-made files
// written from their decoded lines, single values from the database.

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/KVN_Utils.h"
#include "app/ProfileStore.h"
#include "app/tests/PromptScript.h"
#include "app/tests/TestHome.h"
#include "dbclient/LdbQuery.h"

inline std::string ReadBytes(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline std::string SavedGolden(const std::string& name) { return std::string(OMR_TEST_DATA) + "/saved/" + name; }

// Writes a file as the program would from its decoded lines.
inline void WriteEncoded(const std::string& fileName, const std::vector<std::string>& lines) {
    std::ofstream out(fileName, std::ios::binary);
    for (const std::string& line : lines) out << StrToHex(line) << "\r\n";
}

// The profile database in a folder, reached through "LdbConnection1".
class TSavedDatabase {
public:
    void OpenDatabase(const std::string& folder) {
        form = std::make_unique<TComponent>(nullptr);
        form->SetName("frmTestWork");
        conn = new TLdbConnection(form.get());
        conn->SetName("LdbConnection1");
        conn->LdbServerTypes = {stADS_LOCAL};
        conn->LoginPrompt = false;
        OpenProfileDatabase(conn, folder);
    }
    std::unique_ptr<TLdbQuery> Query(const std::string& sql) {
        auto q = std::make_unique<TLdbQuery>(form.get());
        q->SetDatabaseName("LdbConnection1");
        q->SQL().SetText(sql);
        return q;
    }
    void Exec(const std::string& sql) { Query(sql)->ExecSQL(); }
    // The rows of a query, one text per row, columns separated by "|".
    std::vector<std::string> Rows(const std::string& sql) {
        auto q = Query(sql);
        q->Open();
        std::vector<std::string> rows;
        for (; !q->Eof(); q->Next()) {
            std::string row;
            for (int k = 0; k < q->FieldCount(); ++k) row += (k ? "|" : "") + q->Fields()[k]->AsString();
            rows.push_back(row);
        }
        return rows;
    }
    std::string Scalar(const std::string& sql) {
        auto rows = Rows(sql);
        return rows.empty() ? "<none>" : rows[0];
    }

    std::unique_ptr<TComponent> form;
    TLdbConnection* conn = nullptr;
};

class SavedDatabaseFixture : public ::testing::Test, public TSavedDatabase {
protected:
    void SetUp() override { OpenDatabase(home.Dir()); }
    void TearDown() override {
        EXPECT_EQ(prompts.Pending(), 0u) << "prompts scripted but never asked";
        form.reset();
    }
    std::string Path(const std::string& name) const { return home.Dir() + name; }

    TestHome home;
    TPromptScript prompts;
};

// Speed of the in-memory table beside SQLite in memory, on the same work:
// 100,000 rows of (64-bit ID, name, 100 one-character answers) appended,
// sorted on two fields, searched by key 10,000 times, saved as CSV and
// loaded back. SQLite gets prepared statements, one transaction per bulk
// change and an index for the search. Each line prints both times and the
// ratio (table / SQLite; below 1 means the table is faster).
//
// Usage: memtable_bench [rows]

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "memtable/CSVStreamFormat.h"
#include "memtable/MemTable.h"

namespace {

constexpr int kAnswers = 100;
constexpr int kSearches = 10000;

struct Row {
    Int64 id;
    std::string name;
    char answers[kAnswers];
};

std::uint64_t Next(std::uint64_t& s) {
    s += 0x9E3779B97F4A7C15ULL;
    std::uint64_t z = s;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

std::vector<Row> MakeRows(int n) {
    static const char* first[] = {"Ann", "Bob", "Cleo", "Dan", "Eve", "Finn", "Gus", "Hana", "Ida", "Jon"};
    std::vector<Row> rows(static_cast<size_t>(n));
    std::uint64_t s = 42;
    for (int i = 0; i < n; ++i) {
        Row& r = rows[static_cast<size_t>(i)];
        // Unique IDs in random order: an odd multiplier permutes 2^40.
        r.id = static_cast<Int64>((static_cast<std::uint64_t>(i) * 0x9E3779B1ULL) & ((1ULL << 40) - 1)) + 1000000000000LL;
        char name[40];
        std::snprintf(name, sizeof name, "Surname%04d %s", static_cast<int>(Next(s) % 5000), first[Next(s) % 10]);
        r.name = name;
        for (char& a : r.answers) a = "ABCDE-?"[Next(s) % 7];
    }
    return rows;
}

double Ms(const std::function<void()>& work) {
    auto t0 = std::chrono::steady_clock::now();
    work();
    auto t1 = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::milli>(t1 - t0).count();
}

void Check(int rc, sqlite3* db, const char* what) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(db));
        std::exit(1);
    }
}

void Exec(sqlite3* db, const std::string& sql) { Check(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), db, sql.c_str()); }

std::string Columns() {
    std::string s = "IDNo INTEGER, Name TEXT";
    for (int q = 1; q <= kAnswers; ++q) s += ", Q" + std::to_string(q) + " TEXT";
    return s;
}

std::string Placeholders() {
    std::string s = "?";
    for (int i = 1; i < kAnswers + 2; ++i) s += ",?";
    return s;
}

// CSV text of one value the way the table writes it: quoted, with the
// table's escapes.
void AppendCsv(std::string& out, const char* text, int len) {
    out += '"';
    for (int i = 0; i < len; ++i) {
        char c = text[i];
        if (c == '"') out += "\"\"";
        else if (c == '%') out += "%%";
        else if (c == '\r') out += "%c";
        else if (c == '\n') out += "%n";
        else out += c;
    }
    out += '"';
}

// Splits one CSV line of quoted values into fields (no escapes occur in
// the benchmark's data beyond doubled quotes).
void SplitCsv(const std::string& line, std::vector<std::string>& fields) {
    fields.clear();
    size_t i = 0, n = line.size();
    while (i < n) {
        std::string v;
        if (line[i] == '"') {
            ++i;
            for (;;) {
                size_t q = line.find('"', i);
                if (q == std::string::npos) { v.append(line, i, n - i); i = n; break; }
                v.append(line, i, q - i);
                if (q + 1 < n && line[q + 1] == '"') { v += '"'; i = q + 2; continue; }
                i = q + 2;
                break;
            }
        } else {
            size_t c = line.find(',', i);
            if (c == std::string::npos) c = n;
            v = line.substr(i, c - i);
            i = c + 1;
        }
        fields.push_back(std::move(v));
    }
}

struct Times {
    double append = 0, sort = 0, search = 0, save = 0, load = 0;
};

Times RunMemTable(const std::vector<Row>& rows, const std::vector<Int64>& keys, const std::string& file, int& check) {
    Times t;
    auto table = std::make_unique<TqmtMemTable>();
    table->FieldDefs().Add("IDNo", ftLargeint);
    table->FieldDefs().Add("Name", ftString, 30);
    for (int q = 1; q <= kAnswers; ++q) table->FieldDefs().Add("Q" + std::to_string(q), ftString, 1);
    TqmtCSVStreamFormat format;
    format.sfDef = 0;
    table->SetDefaultFormat(&format);
    table->Open();
    TField* id = table->FieldByName("IDNo");
    TField* name = table->FieldByName("Name");
    std::vector<TField*> answers;
    for (int q = 1; q <= kAnswers; ++q) answers.push_back(table->FieldByName("Q" + std::to_string(q)));

    t.append = Ms([&] {
        std::vector<std::string> chars(256);
        for (int c = 0; c < 256; ++c) chars[static_cast<size_t>(c)] = std::string(1, static_cast<char>(c));
        for (const Row& r : rows) {
            table->Append();
            id->SetAsLargeInt(r.id);
            name->SetAsString(r.name);
            for (int q = 0; q < kAnswers; ++q)
                answers[static_cast<size_t>(q)]->SetAsString(chars[static_cast<unsigned char>(r.answers[q])]);
            table->Post();
        }
    });
    t.sort = Ms([&] {
        table->SetSortFields("Name;IDNo");
        table->Sort();
        table->First();
    });
    t.search = Ms([&] {
        table->DefineIndex("byID", "IDNo", 0);
        for (Int64 k : keys) check += table->Locate("IDNo", Variant(static_cast<long long>(k)), 0);
    });
    t.save = Ms([&] { table->SaveToFile(file); });
    auto copy = std::make_unique<TqmtMemTable>();
    copy->FieldDefs().Assign(table->FieldDefs());
    copy->SetDefaultFormat(&format);
    copy->Open();
    t.load = Ms([&] { copy->LoadFromFile(file); });
    check += copy->RecordCount();
    return t;
}

Times RunSqlite(const std::vector<Row>& rows, const std::vector<Int64>& keys, const std::string& file, int& check) {
    Times t;
    sqlite3* db = nullptr;
    Check(sqlite3_open(":memory:", &db), db, "open");
    Exec(db, "CREATE TABLE t(" + Columns() + ")");
    const std::string insert = "INSERT INTO t VALUES(" + Placeholders() + ")";

    t.append = Ms([&] {
        Exec(db, "BEGIN");
        sqlite3_stmt* st = nullptr;
        Check(sqlite3_prepare_v2(db, insert.c_str(), -1, &st, nullptr), db, "prepare insert");
        for (const Row& r : rows) {
            sqlite3_bind_int64(st, 1, r.id);
            sqlite3_bind_text(st, 2, r.name.data(), static_cast<int>(r.name.size()), SQLITE_STATIC);
            for (int q = 0; q < kAnswers; ++q) sqlite3_bind_text(st, q + 3, &r.answers[q], 1, SQLITE_STATIC);
            Check(sqlite3_step(st), db, "insert");
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
        Exec(db, "COMMIT");
    });
    t.sort = Ms([&] {
        sqlite3_stmt* st = nullptr;
        Check(sqlite3_prepare_v2(db, "SELECT rowid FROM t ORDER BY Name, IDNo", -1, &st, nullptr), db, "prepare sort");
        Int64 sum = 0;
        while (sqlite3_step(st) == SQLITE_ROW) sum += sqlite3_column_int64(st, 0);
        sqlite3_finalize(st);
        check += static_cast<int>(sum & 1);
    });
    t.search = Ms([&] {
        Exec(db, "CREATE INDEX byID ON t(IDNo)");
        sqlite3_stmt* st = nullptr;
        Check(sqlite3_prepare_v2(db, "SELECT rowid FROM t WHERE IDNo = ?", -1, &st, nullptr), db, "prepare search");
        for (Int64 k : keys) {
            sqlite3_bind_int64(st, 1, k);
            check += sqlite3_step(st) == SQLITE_ROW;
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
    });
    t.save = Ms([&] {
        FILE* out = std::fopen(file.c_str(), "wb");
        std::string buf = "\"IDNo\",\"Name\"";
        for (int q = 1; q <= kAnswers; ++q) buf += ",\"Q" + std::to_string(q) + "\"";
        buf += ",\r\n";
        sqlite3_stmt* st = nullptr;
        Check(sqlite3_prepare_v2(db, "SELECT * FROM t", -1, &st, nullptr), db, "prepare select");
        char num[24];
        while (sqlite3_step(st) == SQLITE_ROW) {
            int n = std::snprintf(num, sizeof num, "%lld", static_cast<long long>(sqlite3_column_int64(st, 0)));
            AppendCsv(buf, num, n);
            for (int c = 1; c < kAnswers + 2; ++c) {
                buf += ',';
                const char* v = reinterpret_cast<const char*>(sqlite3_column_text(st, c));
                if (v) AppendCsv(buf, v, sqlite3_column_bytes(st, c));
            }
            buf += ",\r\n";
            if (buf.size() > 65536) {
                std::fwrite(buf.data(), 1, buf.size(), out);
                buf.clear();
            }
        }
        std::fwrite(buf.data(), 1, buf.size(), out);
        sqlite3_finalize(st);
        std::fclose(out);
    });
    Exec(db, "CREATE TABLE u(" + Columns() + ")");
    const std::string insertU = "INSERT INTO u VALUES(" + Placeholders() + ")";
    t.load = Ms([&] {
        FILE* in = std::fopen(file.c_str(), "rb");
        std::vector<char> chunk(8192);
        std::string line, pending;
        std::vector<std::string> fields;
        Exec(db, "BEGIN");
        sqlite3_stmt* st = nullptr;
        Check(sqlite3_prepare_v2(db, insertU.c_str(), -1, &st, nullptr), db, "prepare load");
        bool header = true;
        auto handle = [&](const std::string& l) {
            if (l.empty()) return;
            if (header) { header = false; return; }
            SplitCsv(l, fields);
            sqlite3_bind_int64(st, 1, std::strtoll(fields[0].c_str(), nullptr, 10));
            for (int c = 1; c < kAnswers + 2 && c < static_cast<int>(fields.size()); ++c)
                sqlite3_bind_text(st, c + 1, fields[static_cast<size_t>(c)].data(),
                                  static_cast<int>(fields[static_cast<size_t>(c)].size()), SQLITE_TRANSIENT);
            Check(sqlite3_step(st), db, "load");
            sqlite3_reset(st);
        };
        size_t n;
        while ((n = std::fread(chunk.data(), 1, chunk.size(), in)) > 0) {
            for (size_t i = 0; i < n; ++i) {
                char c = chunk[i];
                if (c == '\r' || c == '\n') {
                    handle(line);
                    line.clear();
                } else {
                    line += c;
                }
            }
        }
        handle(line);
        sqlite3_finalize(st);
        Exec(db, "COMMIT");
        std::fclose(in);
    });
    sqlite3_stmt* count = nullptr;
    sqlite3_prepare_v2(db, "SELECT count(*) FROM u", -1, &count, nullptr);
    if (sqlite3_step(count) == SQLITE_ROW) check += sqlite3_column_int(count, 0);
    sqlite3_finalize(count);
    sqlite3_close(db);
    return t;
}

}  // namespace

int main(int argc, char** argv) {
    const int n = argc > 1 ? std::atoi(argv[1]) : 100000;
    std::vector<Row> rows = MakeRows(n);
    std::vector<Int64> keys;
    std::uint64_t s = 7;
    for (int i = 0; i < kSearches; ++i) keys.push_back(rows[Next(s) % rows.size()].id);
    const std::string dir = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp";
    const std::string memFile = dir + "/memtable_bench_table.csv";
    const std::string sqlFile = dir + "/memtable_bench_sqlite.csv";

    // The machine may be shared: each side runs three times, alternating,
    // and the best time of each line counts.
    int checkMem = 0, checkSql = 0;
    const bool onlyTable = std::getenv("MEMTABLE_BENCH_ONLY_TABLE") != nullptr;
    Times m, q;
    auto best = [](Times& b, const Times& t, bool first) {
        if (first) {
            b = t;
            return;
        }
        b.append = std::min(b.append, t.append);
        b.sort = std::min(b.sort, t.sort);
        b.search = std::min(b.search, t.search);
        b.save = std::min(b.save, t.save);
        b.load = std::min(b.load, t.load);
    };
    const int runs = onlyTable ? 1 : 3;
    for (int r = 0; r < runs; ++r) {
        best(m, RunMemTable(rows, keys, memFile, checkMem), r == 0);
        if (!onlyTable) best(q, RunSqlite(rows, keys, sqlFile, checkSql), r == 0);
    }
    std::remove(memFile.c_str());
    std::remove(sqlFile.c_str());

    std::printf("%d rows of (64-bit ID, name, %d one-character answers); %d key searches\n", n, kAnswers, kSearches);
    std::printf("%-26s %12s %12s %8s\n", "work", "memtable ms", "sqlite ms", "ratio");
    auto line = [](const char* what, double a, double b) {
        std::printf("%-26s %12.1f %12.1f %8.2f\n", what, a, b, b > 0 ? a / b : 0.0);
    };
    line("append", m.append, q.append);
    line("sort on two fields", m.sort, q.sort);
    line("index + key searches", m.search, q.search);
    line("CSV save", m.save, q.save);
    line("CSV load", m.load, q.load);
    std::printf("(checks: %d %d)\n", checkMem, checkSql);
    return 0;
}

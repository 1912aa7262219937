#pragma once
// The database of saved profiles and test sets, "DataDB.ldd" in the program
// folder: opening it (created with its base tables when it is missing),
// bringing an older database up to the current schema, and the profile
// operations of the scoring wizard (next number, reading and writing a
// profile row, its groups, answer key, point values and penalties,
// deleting a profile). The wizard window owns the connection and its
// profiles query and calls these; everything runs on the user-interface
// thread.
//
// Tables: Profiles (one row per profile, PFNo its number), Master (answer
// key: PMProfile, PMQuestion, PMValue), Points (PVProfile, PVQuestion,
// PVValue, PVPenalty), Groups (PGProfile, PGGroupNo, PGDesc), GroupQ
// (PGQProfile, PGQQuestion, PGQGroups), DataSets (one row per saved test
// set) and DataDetail (one row per student and question of a test set;
// DDStdID is 64-bit, as student IDs are).

#include <string>
#include <vector>

#include "dbclient/LdbConnection.h"
#include "platform/data/DataSet.h"

// The database file's name in the program folder.
inline constexpr const char* kProfileDatabaseName = "DataDB.ldd";

// Points the connection at "DataDB.ldd" in folder (the program folder when
// empty), creates the file with every table when it does not exist yet,
// connects and upgrades the schema. The tables are created in one
// transaction, so a kill leaves either no tables or all of them; a file
// that lacks some (made half by an older program that was killed) gets the
// missing ones. A database that cannot be created or opened raises; the
// file is not left half made.
void OpenProfileDatabase(TLdbConnection* connection, const std::string& folder = {});

// One database transaction around a store operation that writes several
// rows: begun when made, rolled back when left without Commit, so a
// failure or a kill leaves the rows as they were. Inside a transaction
// that is already running it joins it, and the outer one decides.
class TStoreTransaction {
public:
    explicit TStoreTransaction(TLdbConnection* connection);
    ~TStoreTransaction();
    TStoreTransaction(const TStoreTransaction&) = delete;
    TStoreTransaction& operator=(const TStoreTransaction&) = delete;
    void Commit();

private:
    TLdbConnection* connection_;
    bool own_ = false;
};

// Brings the database up to the current schema in place; each step runs
// only when its column or table is missing, so a second run changes
// nothing. A failing column step is reported to the user and the next step
// runs; failing to create the test-set tables raises. Nothing happens when
// the connection is not connected.
void UpdateDatabase(TLdbConnection* connection);

// A profile row's values (the wizard's settings).
struct TProfileData {
    std::string TestName, TestID, FormNo;
    std::string RelQuest;  // number of relevant questions, as typed
    bool Sounds = false;
    int DefExpFmt = 0;
    std::string LastSaveDir;
    bool UseQuotes = false, UseStdNames = false;
    std::string NamesFile;
    bool UseLeadingZeros = false;
    bool PrintScan = false;
    std::string PrintScanTo;
    std::string OddLbls, EvenLbls;
};

struct TProfileGroup {
    int GroupNo = 0;
    std::string Desc;
};

struct TProfileQuestionGroups {
    int Question = 0;
    std::string Groups;  // such as "(1,3)"
};

// A question's point value and penalty as decimal text (the penalty empty
// when the database keeps none).
struct TProfilePoints {
    std::string Value, Penalty;
};

class TProfileStore {
public:
    // Statements run through queries on the connection (named by its Name).
    explicit TProfileStore(TLdbConnection* connection) : connection_(connection) {}

    // Highest PFNo + 1; 1 for no profiles.
    int NextProfileNo();

    // The values of the profiles query's current row.
    static TProfileData ReadProfile(TDataSet& profiles);
    // Saves data under name in the profiles query (a live query on
    // Profiles): the current row is overwritten when its PFName is name,
    // otherwise a row with the next number is appended. Returns the PFNo.
    int WriteProfile(TDataSet& profiles, const std::string& name, const TProfileData& data);

    // Loading the parts of profile pf for n questions: groups and
    // question groups in their order; point values and the answer key for
    // questions 1..n (a profile with fewer rows repeats its last row; none
    // gives empty texts).
    std::vector<TProfileGroup> LoadGroups(int pf);
    std::vector<TProfileQuestionGroups> LoadGroupQuestions(int pf);
    std::vector<TProfilePoints> LoadPoints(int pf, int n);
    std::vector<std::string> LoadAnswerKey(int pf, int n);

    // Replacing the parts of profile pf. Point values and penalties are
    // numbers (an empty text is 0; another text that is no number raises
    // before anything is replaced).
    void SaveGroups(int pf, const std::vector<TProfileGroup>& groups);
    void SaveGroupQuestions(int pf, const std::vector<TProfileQuestionGroups>& questions);
    void SaveMasterAndPoints(int pf, const std::vector<std::string>& key, const std::vector<TProfilePoints>& points);

    // Saves the whole profile in one transaction: the row (WriteProfile),
    // its groups, question groups, answer key, point values and penalties.
    // On a failure nothing is changed and the profiles query is read again.
    // Returns the PFNo.
    int SaveProfile(TDataSet& profiles, const std::string& name, const TProfileData& data,
                    const std::vector<TProfileGroup>& groups,
                    const std::vector<TProfileQuestionGroups>& questions, const std::vector<std::string>& key,
                    const std::vector<TProfilePoints>& points);

    // Removes profile pf with its question groups, groups, answer key and
    // points, in that order and in one transaction. With profiles (a live
    // query standing on the profile's row) the row goes through it;
    // otherwise by its number.
    void DeleteProfile(int pf, TDataSet* profiles = nullptr);

private:
    TLdbConnection* connection_;
};

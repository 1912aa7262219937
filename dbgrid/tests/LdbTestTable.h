#pragma once
// A live database query for the grid tests. The database client's headers
// and the grid's cannot meet in one file (both name an enumerator rcNone),
// so the query is made behind this small interface.

#include <string>

class TComponent;
class TDataSet;

// Connects "LdbConnection1" (owned by owner) to a new database file in
// folder, creates Profiles (PID key, PName) with rows 1..rows named P<n> and
// answers an open live query over them in PID order.
TDataSet* OpenProfilesQuery(TComponent* owner, const std::string& folder, int rows);
// The first column of the first row of a SELECT, as text.
std::string LdbScalar(TComponent* owner, const std::string& sql);

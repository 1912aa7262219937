#include "dbgrid/tests/DBGridTestSupport.h"

namespace {

using DBGridForm = DBGridFixture;

TEST_F(DBGridForm, AssignRefusesAnythingButADataAwareGrid) {
    grid->SetName("dbgData");
    try {
        grid->Assign(table);
        FAIL() << "no error";
    } catch (const EInvalidGridOperation& e) {
        EXPECT_EQ(std::string(e.what()), "dbgData: Cannot assign TqmtMemTable to TLogDBGrid");
    }
}

}  // namespace

#pragma once
// Spreadsheet automation: the office suite's spreadsheet application,
// driven headless and hidden through its UNO bridge by a small helper
// process. One TCalcApplication is one running spreadsheet application for
// as long as the caller needs it (a whole export, not one cell); it offers
// what the program's spreadsheet export calls: open a workbook, its sheets,
// unprotect and protect a sheet with a password, cell values by row and
// column, the protection state, save and quit.
//
// Rows, columns and sheets count from 1. Every failure of the application
// (missing, not starting, a file it cannot open, a sheet it has not, a
// wrong password, no answer in time) raises EOleError.

#include <memory>
#include <string>

#include "platform/core/Exception.h"

// An automation call failed.
class EOleError : public Exception {
public:
    using Exception::Exception;
};

class TCalcApplication;

class TCalcCell {
public:
    void SetValue(const std::string& text);
    std::string Value() const;

private:
    friend class TCalcSheet;
    TCalcCell(TCalcApplication* app, int book, int sheet, int row, int column)
        : app_(app), book_(book), sheet_(sheet), row_(row), column_(column) {}
    TCalcApplication* app_;
    int book_, sheet_, row_, column_;
};

class TCalcSheet {
public:
    void Unprotect(const std::string& password);
    void Protect(const std::string& password);
    // True while the sheet is protected.
    bool ProtectionMode() const;
    TCalcCell Cells(int row, int column) const;

private:
    friend class TCalcSheets;
    TCalcSheet(TCalcApplication* app, int book, int index) : app_(app), book_(book), index_(index) {}
    TCalcApplication* app_;
    int book_, index_;
};

class TCalcSheets {
public:
    int Count() const;
    TCalcSheet Item(int index) const;

private:
    friend class TCalcWorkbook;
    TCalcSheets(TCalcApplication* app, int book) : app_(app), book_(book) {}
    TCalcApplication* app_;
    int book_;
};

class TCalcWorkbook {
public:
    TCalcSheets Sheets() const { return TCalcSheets(app_, id_); }
    // Stores the workbook in its own file and format.
    void Save();
    // Stores a copy under another name with a filter of the suite
    // ("MS Excel 97", "Text - txt - csv (StarCalc)", ...).
    void SaveCopyAs(const std::string& fileName, const std::string& filterName);
    void Close();

private:
    friend class TCalcApplication;
    TCalcWorkbook(TCalcApplication* app, int id) : app_(app), id_(id) {}
    TCalcApplication* app_;
    int id_;
};

class TCalcApplication {
public:
    // Starts the spreadsheet application, hidden.
    TCalcApplication();
    // Quits the application when the caller has not.
    ~TCalcApplication();
    TCalcApplication(const TCalcApplication&) = delete;
    TCalcApplication& operator=(const TCalcApplication&) = delete;

    // Whether the suite and its bridge are installed; `why` says what is
    // missing. The environment variable OMR_OFFICE names the office
    // program to use instead of the one found on the PATH.
    static bool Available(std::string* why = nullptr);

    // The application always runs hidden; asking to show it changes nothing.
    void SetVisible(bool visible) { visible_ = visible; }
    bool Visible() const { return visible_; }
    // Opens a workbook file; it becomes the active workbook.
    TCalcWorkbook OpenWorkbook(const std::string& fileName, bool readOnly = false);
    // A new workbook with at least `sheets` sheets; it becomes active.
    TCalcWorkbook NewWorkbook(int sheets);
    // The workbook opened or made last.
    TCalcWorkbook ActiveWorkbook() const;
    // Saves the active workbook.
    void Save();
    // Closes every workbook without saving and ends the application.
    void Quit();
    bool Running() const;

    // One command to the helper and its reply text.
    std::string Call(const std::string& command, std::initializer_list<std::string> args);

private:
    struct TProcess;
    std::unique_ptr<TProcess> process_;
    int active_ = 0;
    bool visible_ = false;
};

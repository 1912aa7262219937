// The scanner's side of the wizard: the receive handler that cuts the byte
// stream into replies and sheet frames, and the two sheet handlers that
// turn a frame into the answer key or into a student's answers.

#include <exception>
#include <string>

#include "app/ScannerProtocol.h"
#include "app/TestWorkData.h"
#include "app/WorkPrompts.h"
#include "platform/data/DB.h"

void TTestWorkData::AttachPort(TSioComPort* port) {
    DetachPort();
    port_ = port;
    if (port_) port_->SetOnTriggerAvail([this](TObject* sender, Word count) { SioComPort1TriggerAvail(sender, count); });
}

void TTestWorkData::DetachPort() {
    if (port_) port_->SetOnTriggerAvail(nullptr);
    port_ = nullptr;
}

void TTestWorkData::SioComPort1TriggerAvail(TObject*, Word count) {
    if (!port_) return;
    std::string bytes;
    bytes.reserve(count);
    for (Word i = 0; i < count; ++i) bytes += port_->ReadChar();
    ReceiveBytes(bytes);
}

void TTestWorkData::SendCommand(const std::string& command) {
    if (OnSendCommand)
        OnSendCommand(command);
    else if (port_)
        port_->WriteString(command);
}

void TTestWorkData::StartScanner() {
    StartPending = true;
    SendCommand(kScanCmdAttention);
}

void TTestWorkData::ReceiveBytes(const std::string& bytes) {
    ReceiveBuffer += bytes;
    // Several replies and frames can arrive in one event (a "K" with the
    // first sheet behind it, two sheets fed quickly): each is handled in
    // turn. A sheet that fails does not cost the ones behind it; the first
    // failure is reported once the buffer is worked off.
    std::exception_ptr failure;
    while (!ReceiveBuffer.empty()) {
        const char first = ReceiveBuffer[0];
        if (first == 'K') {
            if (StartPending) {
                StartPending = false;
                SendCommand(ScanStartCommand(RawMarkBytes));
            }
            WorkBusyCursor(false);
            // The reply is the "K" and the line end that may follow it.
            std::size_t end = 1;
            while (end < ReceiveBuffer.size() && (ReceiveBuffer[end] == '\r' || ReceiveBuffer[end] == '\n')) ++end;
            ReceiveBuffer.erase(0, end);
            continue;
        }
        if (first == '.') {
            // Status text of no interest, up to its line end.
            const std::size_t lineEnd = ReceiveBuffer.find('\n');
            if (lineEnd == std::string::npos)
                ReceiveBuffer.clear();
            else
                ReceiveBuffer.erase(0, lineEnd + 1);
            continue;
        }
        const std::size_t end = ReceiveBuffer.find('E');
        if (end == std::string::npos) {
            // Only a frame that starts as frames do is still arriving.
            if (first != 'S') ReceiveBuffer.clear();
            break;
        }
        const std::string frame = ReceiveBuffer.substr(0, end + 1);
        ReceiveBuffer.erase(0, end + 1);
        try {
            HandleFrame(frame);
        } catch (...) {
            if (!failure) failure = std::current_exception();
        }
    }
    ControlsChanged();
    if (failure) std::rethrow_exception(failure);
}

void TTestWorkData::HandleFrame(const std::string& frame) {
    // Every sheet starts with "S"; anything else holding an "E" is the tail
    // of a broken transfer and must not become a student or key answers.
    if (frame.empty() || frame[0] != 'S') {
        LogFrame(frame);
        PlayDropSound(false);
        return;
    }
    if (ActivePage == wpScanMaster)
        ProcessMasterSheet(frame);
    else
        ProcessTestSheet(frame);
}

void TTestWorkData::LogFrame(const std::string& frame) {
    if (RawFrameLogOn) RawFrameLog += frame + "\r\n";
}

std::string TTestWorkData::DecodeMarkBytes(const std::string& part, bool allowSix) const {
    return ::DecodeMarkBytes(part, allowSix);
}

std::string TTestWorkData::MarkBitsToDigits(Byte markByte, bool allowSix) const {
    return ::MarkBitsToDigits(markByte, allowSix);
}

std::string TTestWorkData::DecodeIdNumber(const std::string& idPart) const { return DecodeScannerId(idPart); }

void TTestWorkData::PlayDropSound(bool good) {
    if (OnDropSound) OnDropSound(this, good);
    DropSounds.PlayDropSound(good);
}

int TTestWorkData::CountPresentAnswers(const std::vector<TField*>& answerFields, bool& complete) const {
    // An answer is present when its field is not null: a question the
    // sheet did not reach holds an empty text and still counts, so the
    // next sheet of the same ID goes on after it.
    int count = 0;
    complete = true;
    for (TField* field : answerFields) {
        if (field->IsNull()) {
            complete = false;
            break;
        }
        ++count;
    }
    if (answerFields.empty()) complete = false;
    return count;
}

bool TTestWorkData::StoreSheetAnswers(const std::string& answers, const std::vector<TField*>& answerFields,
                                      int& count) {
    bool good = true;
    std::string rest = answers;
    for (int i = 0; i < Q; ++i) {
        std::string answer;
        const int n = count + 1;
        if (!rest.empty()) {
            answer = MarkCodeToAnswer(rest.back(), n, OddLabels, EvenLabels);
            rest.pop_back();
        }
        ++count;
        if (n > N || n > static_cast<int>(answerFields.size())) continue;
        TField* field = answerFields[static_cast<std::size_t>(n - 1)];
        field->SetAsString(answer);
        if (answer == "?" || answer == "-") good = false;
    }
    return good;
}

void TTestWorkData::ProcessMasterSheet(const std::string& frame) {
    LogFrame(frame);
    const TScannerFrameParts parts = SplitScannerFrame(frame, D, RawMarkBytes);
    ShowMasterGrid();

    if (qmtMaster->IsEmpty())
        qmtMaster->Append();
    else
        qmtMaster->Edit();
    bool complete = false;
    int count = CountPresentAnswers(masterQ_, complete);
    masterRecNo_->SetAsInteger(1);
    const bool good = StoreSheetAnswers(parts.Answers, masterQ_, count);
    qmtMaster->Post();
    PlayDropSound(good);
}

void TTestWorkData::ProcessTestSheet(const std::string& frame) {
    if (OnResetRowState) OnResetRowState(this);
    LogFrame(frame);
    const TScannerFrameParts parts = SplitScannerFrame(frame, D, RawMarkBytes);
    const std::string idText = DecodeIdNumber(parts.Id);
    if (idText.rfind("BAD", 0) == 0) {
        PlayDropSound(false);
        WorkMessage(wmError, "Invalid ID Number Detected\r\n" + idText.substr(idText.size() > 4 ? 4 : idText.size()) +
                                 "\r\nLook for an ambiguous/double number, fix the problem, and then scan again.");
        return;
    }
    const Int64 id = IdTextToNumber(idText);

    if (!qmtData->IsEmpty() && LocateId(id)) {
        qmtData->Edit();
    } else {
        qmtData->Append();
        if (RecordCounter++ == 0) ShowStudentGrids();
        dataRecNo_->SetAsInteger(RecordCounter);
        dataIdNo_->SetAsLargeInt(id);
    }

    bool complete = false;
    int count = CountPresentAnswers(dataQ_, complete);
    const bool good = StoreSheetAnswers(parts.Answers, dataQ_, count);
    qmtData->Post();
    ShowStudentName();

    if (!complete) {
        PlayDropSound(good);
    } else {
        PlayDropSound(false);
        if (OnResetRowState) OnResetRowState(this);
        if (OnSelectRow) OnSelectRow(this, qmtData->GetBookmark());
        WorkMessage(wmWarning,
                    "All scores have been recorded for this ID already.\r\n"
                    "It is possible that a sheet has been scanned twice or there is an extra sheet for this ID");
    }

    if (cbPrintScan && count >= N && OnPrintStudentReport) OnPrintStudentReport(this);
    LocateId(id);
}

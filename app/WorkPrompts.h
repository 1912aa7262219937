#pragma once
// What the scoring work asks of the user: messages, Yes/No confirmations and
// the open and save file dialogs, as one request handed to a callback. The
// wizard window points the callback at the program's prompt service; tests
// answer from a script. Without a callback, messages go unseen,
// confirmations are answered No and dialogs are cancelled.

#include <functional>
#include <string>

enum class TAskKind { Message, Confirmation, OpenFile, SaveFile };
enum TAskType { atInformation, atWarning, atError, atConfirmation };

struct TAsk {
    TAskKind Kind = TAskKind::Message;
    TAskType Type = atInformation;
    std::string Title;       // dialog title (file dialogs)
    std::string Text;        // the message
    std::string FileName;    // file dialogs: the file name offered first
    std::string InitialDir;  // file dialogs: the folder they start in (empty: the current one)
    std::string DefaultExt;
    std::string Filter;
};

struct TAskReply {
    // Yes to a confirmation, OK to a message, a file chosen in a dialog.
    bool Accepted = false;
    std::string FileName;
};

using TAskHandler = std::function<TAskReply(const TAsk& ask)>;

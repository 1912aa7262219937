#include "platform/gui/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

#include "platform/gui/Graphics.h"

namespace {
QClipboard* Board() {
    EnsureGuiApplication();
    return QGuiApplication::clipboard();
}
}  // namespace

std::string TClipboard::AsText() const { return Board()->text().toStdString(); }
void TClipboard::SetAsText(const std::string& text) { Board()->setText(QString::fromStdString(text)); }
bool TClipboard::HasText() const { return !Board()->text().isEmpty(); }
void TClipboard::Clear() { Board()->clear(); }

TClipboard* Clipboard() {
    static TClipboard clipboard;
    return &clipboard;
}

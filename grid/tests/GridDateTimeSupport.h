#pragma once
// A registered date-time editor for tests. Each opening counts and notes
// its definition; the answer (Answer: accept or cancel through the
// editor's reactions, or nothing) comes when a drop-down activates it, or,
// for a popup, from the UI queue that its modal loop drains (a popup
// without an answer is cancelled, so the loop always ends).

#include <functional>
#include <memory>

#include "grid/TSGrid.h"
#include "platform/core/UiQueue.h"

struct TTestDateTimeEditors {
    int Opened = 0;
    TgrDateTimeDefComponent* LastDef = nullptr;
    std::function<void(TgrDateTimeEditor&)> Answer;

    class Editor : public TgrDateTimeEditor {
    public:
        Editor(TTestDateTimeEditors* owner, TgrDateTimeDefComponent* def) : owner_(owner), def_(def) {}
        void Reset() override {
            ++owner_->Opened;
            owner_->LastDef = def_;
            if (Popup)
                UiQueue::Post([this] {
                    if (owner_->Answer) owner_->Answer(*this);
                    else if (OnCancel) OnCancel();
                });
        }
        void Activate() override {
            if (!Popup && owner_->Answer) owner_->Answer(*this);
        }

    private:
        TTestDateTimeEditors* owner_;
        TgrDateTimeDefComponent* def_;
    };

    void Register() {
        RegisterDateTimeEditor([this](TgrDateTimeDefComponent* def, TForm*) -> std::unique_ptr<TgrDateTimeEditor> {
            return std::make_unique<Editor>(this, def);
        });
    }
    ~TTestDateTimeEditors() { RegisterDateTimeEditor(nullptr); }
};

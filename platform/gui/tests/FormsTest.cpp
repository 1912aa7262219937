#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>

#include "platform/core/Clock.h"
#include "platform/core/UiQueue.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/Timers.h"

namespace {

class GuiTest : public ::testing::Test {
protected:
    void SetUp() override {
        UiQueue::Reset();
        Application->Initialize();
        SetCurrentClock(&clock);
        script.OnFailure = [](const std::string& m) { ADD_FAILURE() << m; };
    }
    void TearDown() override {
        Application->ResetForTesting();
        SetCurrentClock(nullptr);
        EXPECT_EQ(script.Pending(), 0u);
    }
    ManualClock clock{1000};
    TScriptedPrompts script;
};

// A small dialog as the application's windows build them.
class TDialog : public TForm {
public:
    explicit TDialog(TComponent* owner) : TForm(owner) {
        SetCaption("Dialog");
        SetBounds(0, 0, 300, 200);
        SetPosition(poScreenCenter);
        SetBorderStyle(bsDialog);
        edit = new TEdit(this);
        edit->SetParent(this);
        edit->SetBounds(10, 10, 100, 21);
        ok = new TButton(this);
        ok->SetParent(this);
        ok->SetCaption("OK");
        ok->SetModalResult(mrOk);
        ok->SetDefault(true);
        ok->SetBounds(10, 100, 75, 25);
        cancel = new TButton(this);
        cancel->SetParent(this);
        cancel->SetCaption("Cancel");
        cancel->SetModalResult(mrCancel);
        cancel->SetCancel(true);
        cancel->SetBounds(100, 100, 75, 25);
        OnShow = [this](TObject*) { log += "show;"; };
        OnActivate = [this](TObject*) { log += "activate;"; };
        OnClose = [this](TObject*, TCloseAction&) { log += "close;"; };
        DoCreate();
    }
    TEdit* edit;
    TButton* ok;
    TButton* cancel;
    std::string log;
};

}  // namespace

TEST_F(GuiTest, ModalFormEndsWithTheButtonsModalResult) {
    auto* dlg = new TDialog(Application);
    bool handlerRan = false;
    dlg->ok->OnClick = [&](TObject*) {
        handlerRan = true;
        EXPECT_EQ(dlg->ModalResult(), mrNone);  // set after the handler
    };
    UiQueue::Post([&] {
        EXPECT_TRUE(dlg->Modal());
        EXPECT_TRUE(dlg->Showing());
        EXPECT_EQ(Screen->ActiveForm(), dlg);
        dlg->ok->Click();
    });
    EXPECT_EQ(dlg->ShowModal(), mrOk);
    EXPECT_TRUE(handlerRan);
    EXPECT_FALSE(dlg->Visible());
    EXPECT_EQ(dlg->log, "show;activate;close;");
    // Centred on the screen.
    EXPECT_EQ(dlg->Left(), (Screen->Width() - 300) / 2);
    EXPECT_EQ(dlg->Top(), (Screen->Height() - 200) / 2);

    // A handler that raises still ends the dialog; the message is shown.
    dlg->log.clear();
    dlg->cancel->OnClick = [](TObject*) { throw Exception("Port is busy"); };
    script.Answer(mrOk);
    UiQueue::Post([&] { dlg->cancel->Widget()->setFocus(); QMetaObject::invokeMethod(dlg->cancel->Widget(), "click"); });
    EXPECT_EQ(dlg->ShowModal(), mrCancel);
    EXPECT_EQ(script.TranscriptText(), "Error: Port is busy.\n");
    delete dlg;
}

TEST_F(GuiTest, KeysReachDefaultAndCancelButtons) {
    auto* dlg = new TDialog(Application);
    UiQueue::Post([&] {
        dlg->edit->SetFocus();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(dlg->edit->Widget(), &press);
    });
    EXPECT_EQ(dlg->ShowModal(), mrCancel);
    UiQueue::Post([&] {
        dlg->edit->SetFocus();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(dlg->edit->Widget(), &press);
    });
    EXPECT_EQ(dlg->ShowModal(), mrOk);
    delete dlg;
}

TEST_F(GuiTest, CloseQueryCanKeepTheDialogOpen) {
    auto* dlg = new TDialog(Application);
    int asked = 0;
    dlg->OnCloseQuery = [&](TObject*, bool& canClose) { canClose = ++asked > 1; };
    UiQueue::Post([&] { dlg->Close(); });
    Application->OnIdle = [&](TObject*, bool&) {
        if (asked == 1 && dlg->ModalResult() == mrNone) dlg->SetModalResult(mrNo);
    };
    EXPECT_EQ(dlg->ShowModal(), mrNo);
    EXPECT_EQ(asked, 2);
    delete dlg;
}

TEST_F(GuiTest, HandleExceptionShowsTheMessageAndTheLoopGoesOn) {
    script.Answer(mrOk, "Cannot open COM3");
    int after = 0;
    UiQueue::Post([] { throw Exception("Cannot open COM3"); });
    UiQueue::Post([&] { ++after; });
    Application->ProcessMessages();
    Application->ProcessMessages();
    EXPECT_EQ(after, 1);
    EXPECT_EQ(script.TranscriptText(), "Error: Cannot open COM3.\n");
    // EAbort is silent; messages ending in a full stop keep it.
    UiQueue::Post([] { throw EAbort("quiet"); });
    script.Answer(mrOk);
    UiQueue::Post([] { throw Exception("Done."); });
    Application->ProcessMessages();
    Application->ProcessMessages();
    EXPECT_EQ(script.Transcript().back().Request.Text, "Done.");
    EXPECT_EQ(script.Transcript().size(), 2u);
}

TEST_F(GuiTest, TimerFiresWhenTheClockIsAdvanced) {
    auto* form = new TForm(Application);
    auto* timer = new TTimer(form);
    timer->SetEnabled(false);
    timer->SetInterval(4000);
    int fired = 0;
    timer->OnTimer = [&](TObject* sender) {
        EXPECT_EQ(sender, timer);
        ++fired;
    };
    timer->SetEnabled(true);
    Application->ProcessMessages();
    clock.Advance(3999);
    Application->ProcessMessages();
    EXPECT_EQ(fired, 0);
    clock.Advance(1);
    Application->ProcessMessages();
    EXPECT_EQ(fired, 1);
    // No catching up: a long gap gives one firing, the next period follows.
    clock.Advance(20000);
    Application->ProcessMessages();
    EXPECT_EQ(fired, 2);
    clock.Advance(4000);
    Application->ProcessMessages();
    EXPECT_EQ(fired, 3);
    // Disabled timers and freed timers stay silent.
    timer->SetEnabled(false);
    clock.Advance(8000);
    Application->ProcessMessages();
    EXPECT_EQ(fired, 3);
    // Re-enabling restarts the period.
    timer->SetEnabled(true);
    clock.Advance(2000);
    Application->ProcessMessages();
    EXPECT_EQ(fired, 3);
    delete timer;
    clock.Advance(8000);
    Application->ProcessMessages();
    EXPECT_EQ(fired, 3);
}

TEST_F(GuiTest, TimerHandlerCanDisableItselfAndShowMessages) {
    // The unplug check pattern: off during the check, a message, on again.
    auto* timer = new TTimer(Application);
    timer->SetInterval(5000);
    int checks = 0;
    timer->OnTimer = [&](TObject*) {
        timer->SetEnabled(false);
        ++checks;
        MessageDlg("Check " + std::to_string(checks), mtInformation, {mbOK});
        timer->SetEnabled(true);
    };
    script.Answer(mrOk, "Check 1").Answer(mrOk, "Check 2");
    for (int i = 0; i < 2; ++i) {
        clock.Advance(5000);
        Application->ProcessMessages();
    }
    EXPECT_EQ(checks, 2);
}

TEST_F(GuiTest, ModalLoopEndsWhenTheApplicationTerminates) {
    auto* dlg = new TDialog(Application);
    auto* timer = new TTimer(dlg);
    timer->SetInterval(5000);
    timer->OnTimer = [&](TObject*) { Application->Terminate(); };
    Application->OnIdle = [&](TObject*, bool&) { clock.Advance(1000); };
    EXPECT_EQ(dlg->ShowModal(), mrCancel);
    EXPECT_TRUE(Application->Terminated());
}

TEST_F(GuiTest, WaitCursorRestoresThePreviousCursor) {
    EXPECT_EQ(Screen->Cursor(), crDefault);
    {
        TWaitCursor wait;
        EXPECT_EQ(Screen->Cursor(), crHourGlass);
        // A modal dialog shows the normal cursor and gives the hourglass back.
        auto* dlg = new TDialog(Application);
        UiQueue::Post([&] {
            EXPECT_EQ(Screen->Cursor(), crDefault);
            dlg->ok->Click();
        });
        dlg->ShowModal();
        EXPECT_EQ(Screen->Cursor(), crHourGlass);
    }
    EXPECT_EQ(Screen->Cursor(), crDefault);
}

TEST_F(GuiTest, FreedOwnerFreesItsControlsAndMainFormCloseTerminates) {
    auto* main = new TForm(Application);
    Application->SetMainForm(main);
    auto* label = new TLabel(main);
    label->SetParent(main);
    label->SetCaption("&Start  ");
    EXPECT_EQ(main->ControlCount(), 1);
    bool destroyed = false;
    main->OnDestroy = [&](TObject*) { destroyed = true; };
    main->Show();
    main->Close();
    EXPECT_TRUE(Application->Terminated());
    delete main;
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(Application->MainForm(), nullptr);
}

TEST_F(GuiTest, RunShowsTheMainFormUntilItIsClosed) {
    TForm* main = nullptr;
    Application->CreateForm(main);
    EXPECT_EQ(Application->MainForm(), main);
    bool shown = false;
    main->OnShow = [&](TObject*) { shown = true; };
    // The long-loop pump of the other libraries reaches timers and windows.
    auto* timer = new TTimer(main);
    timer->SetInterval(100);
    int ticks = 0;
    timer->OnTimer = [&](TObject*) {
        if (++ticks == 1) {
            clock.Advance(100);
            ::ProcessMessages();  // a nested pump fires the timer again
        } else {
            main->Close();
        }
    };
    Application->OnIdle = [&](TObject*, bool&) { clock.Advance(100); };
    Application->Run();
    EXPECT_TRUE(shown);
    EXPECT_EQ(ticks, 2);
    EXPECT_TRUE(Application->Terminated());
    EXPECT_EQ(Application->ComponentCount(), 0);  // forms freed after the loop
}

// An exception from the main form's show handler, or from a handler run by
// a modal dialog's loop, is shown and the program goes on: the main form is
// on screen and the dialog stays open until it is closed.
TEST_F(GuiTest, ExceptionsFromShowHandlersAndModalLoopsAreShown) {
    TForm* main = nullptr;
    Application->CreateForm(main);
    main->OnShow = [](TObject*) { throw EIniFileException("Unable to write to /opt/x/Settings.ini"); };
    script.Answer(mrOk, "Unable to write to /opt/x/Settings.ini.").Answer(mrOk, "Port lost.");
    int step = 0;
    TModalResult dialogResult = mrNone;
    Application->OnIdle = [&](TObject*, bool&) {
        if (step == 0) {
            step = 1;
            EXPECT_TRUE(main->Showing());
            EXPECT_EQ(Screen->ActiveForm(), main);
            auto* dlg = new TDialog(main);
            UiQueue::Post([] { throw Exception("Port lost"); });
            dialogResult = TModalResult(dlg->ShowModal());
            delete dlg;
            main->Close();
        } else if (step == 1 && script.Pending() == 0) {
            step = 2;
            auto* dlg = dynamic_cast<TDialog*>(Screen->ActiveForm());
            ASSERT_NE(dlg, nullptr);
            EXPECT_TRUE(dlg->Modal());
            dlg->cancel->Click();
        }
    };
    Application->Run();
    EXPECT_EQ(step, 2);
    EXPECT_EQ(dialogResult, mrCancel);
    EXPECT_EQ(script.Transcript().size(), 2u);
}

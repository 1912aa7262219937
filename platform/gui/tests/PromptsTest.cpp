#include <gtest/gtest.h>

#include "platform/gui/Prompts.h"

TEST(Prompts, ScriptAnswersAndTranscriptRecords) {
    TScriptedPrompts script;
    script.OnFailure = [](const std::string& m) { ADD_FAILURE() << m; };
    script.Answer(mrYes, "exit").Answer(mrOk).AnswerInput("Smith").AnswerCancel();

    EXPECT_EQ(MessageDlg("Are you sure you want to exit?", mtConfirmation, mbYesNo), mrYes);
    ShowMessage("Error opening registry to check comm ports");
    EXPECT_EQ(InputBox("Name", "Student name:", "x"), "Smith");
    std::string v = "keep";
    EXPECT_FALSE(InputQuery("Name", "Again:", v));
    EXPECT_EQ(v, "keep");

    EXPECT_EQ(script.TranscriptText(),
              "Confirmation: Are you sure you want to exit?\n"
              "Message: Error opening registry to check comm ports\n"
              "Input: Student name:\n"
              "Input: Again:\n");
    EXPECT_EQ(script.Transcript()[0].Request.Buttons, mbYesNo);
    EXPECT_EQ(script.Transcript()[0].Request.Caption, "Confirm");
    EXPECT_EQ(script.Pending(), 0u);
    EXPECT_TRUE(script.Failures().empty());
}

TEST(Prompts, MessageBoxFlagsMapToTypeAndButtons) {
    TScriptedPrompts script;
    script.AnswerWith([](const PromptRequest& r) {
        EXPECT_EQ(r.Type, mtError);
        EXPECT_EQ(r.Buttons, mbYesNo);
        EXPECT_EQ(r.Caption, "Title");
        PromptAnswer a;
        a.Result = mrNo;
        return a;
    });
    EXPECT_EQ(MessageBoxPrompt("Text", "Title", MB_YESNO | MB_ICONERROR), IDNO);
    EXPECT_EQ(script.TranscriptText(), "Error: Text\n");
}

TEST(Prompts, UnexpectedOrMismatchedPromptsFailClearly) {
    std::vector<std::string> failures;
    {
        TScriptedPrompts script;
        script.OnFailure = [&](const std::string& m) { failures.push_back(m); };
        // Nothing scripted: dismissed with the safe answer.
        EXPECT_EQ(MessageDlg("Delete everything?", mtConfirmation, mbYesNoCancel), mrCancel);
        EXPECT_EQ(MessageDlg("Overwrite?", mtConfirmation, mbYesNo), mrNo);
        // A file answer given to a message box.
        script.AnswerFile("/tmp/a.txt");
        EXPECT_EQ(MessageDlg("Saved.", mtInformation, {mbOK}), mrOk);
        // Text that does not contain the expected phrase still answers.
        script.Answer(mrOk, "found on COM port 3");
        MessageDlg("Veltrane machine found on COM port 4.", mtInformation, {mbOK});
        EXPECT_TRUE(script.Transcript().back().Unexpected);
    }
    ASSERT_EQ(failures.size(), 4u);
    EXPECT_EQ(failures[0], "Unexpected prompt: Confirmation: Delete everything?");
    EXPECT_NE(failures[2].find("wrong kind"), std::string::npos);
    EXPECT_NE(failures[3].find("found on COM port 3"), std::string::npos);
}

TEST(Prompts, ScriptsNestAndRestoreThePreviousService) {
    TScriptedPrompts outer;
    outer.Answer(mrOk);
    {
        TScriptedPrompts inner;
        inner.Answer(mrYes);
        EXPECT_EQ(&PromptService(), &inner);
        MessageDlg("inner", mtConfirmation, mbYesNo);
    }
    EXPECT_EQ(&PromptService(), &outer);
    ShowMessage("outer");
    EXPECT_EQ(outer.Texts(), std::vector<std::string>{"outer"});
}

#include "app/DisplayChange.h"
#include "app/AppFixture.h"

using namespace corvid;
using namespace corvid::testing;

namespace {

class ShellTest : public AppTest {
protected:
    ShellTest()
    {
        editor.views.BuildViewDevice(View(1));
        hooks.readColorDepth = [this] {
            int depth = retryDepths.at(0);
            retryDepths.erase(retryDepths.begin());
            return depth;
        };
        hooks.saveScene = [this] { return ++saves, saveResult; };
        hooks.requestPlaybackStop = [this] { ++stops; };
    }
    void Reset(bool modified, bool playback, std::vector<Answer> answers)
    {
        ui.questions.clear();
        ui.answers.assign(answers.begin(), answers.end());
        saves = stops = 0;
        editor.views.colorDepth = 16;
        editor.scene.SetModified(modified);
        if (playback)
            editor.transport.Play(0.0);
        else
            editor.transport.Stop();
        editor.exitRequested = false;
        editor.views.renderingEnabled = true;
    }

    ShellHooks hooks;
    std::vector<int> retryDepths;
    bool saveResult = true;
    int saves = 0, stops = 0;
};

const std::string R = kColorDepthRetryText;
const std::string S = kSaveQuestion;
using A = Answer;
using Result = DisplayChangeResult;

} // namespace

TEST_F(ShellTest, ColourDepthChangeFlows)
{
    struct Case {
        const char* name;
        int newDepth;
        bool modified, playback;
        std::vector<Answer> answers;
        std::vector<int> retryDepths;
        bool saveResult;
        Result expected;
        std::vector<std::string> questions;
        int saves, stops;
    } cases[] = {
        {"16 to 32 rebuilds quietly", 32, false, false, {}, {}, true, Result::DevicesRebuilt, {}, 0, 0},
        {"Retry after fixing", 24, false, false, {A::Retry}, {16}, true, Result::DevicesRebuilt, {R}, 0, 0},
        {"Retry too early, then again", 24, false, false, {A::Retry, A::Retry}, {24, 32}, true, Result::DevicesRebuilt,
         {R, R}, 0, 0},
        {"Cancel, nothing to save: quit", 24, false, false, {A::Cancel}, {}, true, Result::Quit, {R}, 0, 0},
        {"Cancel, Yes: saved, quit", 24, true, false, {A::Cancel, A::Yes}, {}, true, Result::Quit, {R, S}, 1, 0},
        {"Cancel, Yes, save cancelled: asked again", 8, true, false, {A::Cancel, A::Yes, A::Retry}, {16}, false,
         Result::DevicesRebuilt, {R, S, R}, 1, 0},
        {"Cancel, No: quit unsaved", 24, true, false, {A::Cancel, A::No}, {}, true, Result::Quit, {R, S}, 0, 0},
        {"Cancel, Cancel: asked again", 24, true, false, {A::Cancel, A::Cancel, A::Retry}, {32}, true,
         Result::DevicesRebuilt, {R, S, R}, 0, 0},
        {"quitting stops playback", 24, true, true, {A::Cancel, A::No}, {}, true, Result::Quit, {R, S}, 0, 1},
    };
    for (const auto& c : cases) {
        Reset(c.modified, c.playback, c.answers);
        retryDepths = c.retryDepths;
        saveResult = c.saveResult;
        size_t builds = factory.requests.size();
        EXPECT_EQ(HandleDisplayChange(editor, c.newDepth, hooks), c.expected) << c.name;
        EXPECT_EQ(ui.questions, c.questions) << c.name;
        EXPECT_TRUE(ui.answers.empty()) << c.name;
        EXPECT_EQ(saves, c.saves) << c.name;
        EXPECT_EQ(stops, c.stops) << c.name;
        EXPECT_EQ(editor.exitRequested, c.stops > 0) << c.name;
        bool rebuilt = c.expected == Result::DevicesRebuilt;
        EXPECT_EQ(factory.requests.size(), builds + (rebuilt ? 1 : 0)) << c.name;
        if (rebuilt) {
            EXPECT_TRUE(editor.views.renderingEnabled) << c.name;
            EXPECT_EQ(editor.views.shadeColorDepth, editor.views.colorDepth) << c.name;
        }
    }

    editor.views.renderingEnabled = false;
    EXPECT_EQ(HandleDisplayChange(editor, 24, hooks), Result::Ignored);
    editor.views.renderingEnabled = true;
    factory.failing = {0, 1, 2};
    EXPECT_EQ(HandleDisplayChange(editor, 32, hooks), Result::RebuildFailed);
}

TEST_F(ShellTest, SaveQuestionBeforeClosing)
{
    struct Case {
        const char* name;
        bool modified, playback;
        std::vector<Answer> answers;
        bool saveResult;
        CloseDecision expected;
        int saves;
    } cases[] = {
        {"nothing to save", false, false, {}, true, CloseDecision::Close, 0},
        {"Cancel stays", true, false, {A::Cancel}, true, CloseDecision::Stay, 0},
        {"Yes saves and closes", true, false, {A::Yes}, true, CloseDecision::Close, 1},
        {"Yes, save cancelled: stays", true, false, {A::Yes}, false, CloseDecision::Stay, 1},
        {"No closes unsaved", true, false, {A::No}, true, CloseDecision::Close, 0},
        {"Yes during playback stops it, saves and closes", true, true, {A::Yes}, true, CloseDecision::Close, 1},
    };
    for (const auto& c : cases) {
        Reset(c.modified, c.playback, c.answers);
        saveResult = c.saveResult;
        EXPECT_EQ(AskBeforeClose(editor, hooks), c.expected) << c.name;
        EXPECT_EQ(ui.questions.size(), c.answers.size()) << c.name;
        EXPECT_EQ(saves, c.saves) << c.name;
        EXPECT_EQ(editor.exitRequested, c.playback) << c.name;
        EXPECT_FALSE(editor.transport.Playing()) << c.name;
    }
}

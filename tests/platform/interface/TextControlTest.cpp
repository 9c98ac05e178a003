// Text views and text controls in real windows, edited with injected keys and the mouse; and
// the invoker that sends the controls' messages.

#include "ControlTestSupport.h"

#include <AppDefs.h>
#include <Button.h>
#include <Invoker.h>
#include <TextControl.h>
#include <TextView.h>

using namespace control_test;

namespace {

// A text field that reports every change, and a default button, in a panel.
class TextControlTest : public ControlsFixture {
protected:
    void SetUp() override
    {
        ControlsFixture::SetUp();
        field =
            new BTextControl(BRect(10, 10, 300, 27), "field", "Margin", "", new BMessage('invk'));
        field->SetDivider(60);
        field->SetModificationMessage(new BMessage('modf'));
        auto* ok = new BButton(BRect(220, 80, 300, 102), "ok", "OK", new BMessage('_ok'));
        Show({field, ok});
        Locked lock(window);
        window->SetDefaultButton(ok);
        field->MakeFocus(true);
    }

    size_t Count(uint32 what) { return Received(what).size(); }
    // Each key in turn, with the same modifiers held.
    void Type(std::initializer_list<const char*> keys, uint32 modifiers = 0)
    {
        for (const char* key : keys)
            type(window, key, modifiers);
    }
    std::string Text()
    {
        Locked lock(window);
        return field->Text();
    }
    std::pair<int32, int32> Selection()
    {
        Locked lock(window);
        int32 start;
        int32 end;
        field->TextView()->GetSelection(&start, &end);
        return {start, end};
    }

    BTextControl* field = nullptr;
};

} // namespace

TEST_F(TextControlTest, TypingEditsByCharactersAndEveryChangeIsReported)
{
    Type({"a", "\xc3\xa9", "b"}); // é: two bytes, one character
    EXPECT_EQ(Text(), "a\xc3\xa9"
                      "b");
    EXPECT_EQ(Count('modf'), 3u);

    Type({"\x1c", "\b"}); // left, before b; Backspace removes é whole
    EXPECT_EQ(Text(), "ab");
    EXPECT_EQ(Selection(), std::make_pair(1, 1));
    Type({"\x01", "<", "\x04", ">"}); // Home, End
    EXPECT_EQ(Text(), "<ab>");
    Type({"\x01", "\x7f"}); // Delete
    EXPECT_EQ(Text(), "ab>");
    // Backspace at the start, Delete at the end and arrows past the ends change nothing.
    Type({"\b", "\x1c", "\x04", "\x7f", "\x1d"});
    EXPECT_EQ(Text(), "ab>");
    EXPECT_EQ(Selection(), std::make_pair(3, 3));
    // a, é, b, Backspace, <, >, Delete
    EXPECT_EQ(Count('modf'), 7u);
    EXPECT_EQ(Count('invk'), 0u);

    // Shift+arrows select; typing replaces the selection.
    Type({"\x1c", "\x1c"}, B_SHIFT_KEY);
    EXPECT_EQ(Selection(), std::make_pair(1, 3));
    type(window, "\xe2\x82\xac"); // €
    EXPECT_EQ(Text(), "a\xe2\x82\xac");
    type(window, "\x01", B_SHIFT_KEY | B_LEFT_SHIFT_KEY);
    EXPECT_EQ(Selection(), std::make_pair(0, 4));

    {
        Locked lock(window);
        // The program's own SetText() is no modification by the user.
        const size_t before = recorder->Messages().size();
        field->SetText("12");
        EXPECT_EQ(recorder->Messages().size(), before);
        EXPECT_EQ(field->TextView()->TextLength(), 2);
    }
    EXPECT_EQ(Count('modf'), 9u); // the typed € replaced a selection: a delete and an insert
}

TEST_F(TextControlTest, CommandKeysCutCopyPasteAndSelectAll)
{
    Type({"o", "n", "e"});
    type(window, "a", B_COMMAND_KEY);
    EXPECT_EQ(Selection(), std::make_pair(0, 3));
    type(window, "c", B_COMMAND_KEY);
    type(window, "\x04");
    type(window, "v", B_COMMAND_KEY);
    EXPECT_EQ(Text(), "oneone");
    Type({"\x1c", "\x1c"}, B_SHIFT_KEY);
    type(window, "x", B_COMMAND_KEY);
    EXPECT_EQ(Text(), "oneo");
    type(window, "\x01");
    type(window, "v", B_COMMAND_KEY);
    EXPECT_EQ(Text(), "neoneo");
    // The messages of the edit menu do the same.
    {
        Locked lock(window);
        field->TextView()->Select(0, 2);
    }
    window->PostMessage(B_CUT, field->TextView());
    settle(window);
    EXPECT_EQ(Text(), "oneo");
    window->PostMessage(B_SELECT_ALL, field->TextView());
    settle(window);
    EXPECT_EQ(Selection(), std::make_pair(0, 4));
    // Each typed letter, the paste, the cut, the second paste and the posted cut.
    EXPECT_EQ(Count('modf'), 7u);
}

TEST_F(TextControlTest, EnterInvokesAfterAChangeAndStillClicksTheDefaultButton)
{
    type(window, "\n");
    EXPECT_EQ(Count('invk'), 0u); // nothing changed
    EXPECT_EQ(Count('_ok'), 1u);
    Type({"7", "\n"});
    EXPECT_EQ(Count('invk'), 1u);
    EXPECT_EQ(Count('_ok'), 2u);
    EXPECT_EQ(Text(), "7"); // a field holds no line break
    // Leaving the field after a change invokes too.
    Type({"8", "\t"});
    EXPECT_EQ(Count('invk'), 2u);
}

TEST_F(TextControlTest, MousePlacesTheCaretDragsASelectionAndDoubleClickTakesAWord)
{
    BPoint origin;
    float wordEnd;
    {
        Locked lock(window);
        field->SetText("alpha beta");
        BTextView* view = field->TextView();
        origin = view->ConvertToScreen(BPoint(0, 0)) - window->Frame().LeftTop();
        origin.y += view->Bounds().Height() / 2;
        wordEnd = view->PointAt(5).x;
    }
    BPrivate::Display* display = offscreen();
    // Just right of "alpha": the caret goes after its last letter.
    click(window, BPoint(origin.x + wordEnd + 1, origin.y));
    EXPECT_EQ(Selection(), std::make_pair(5, 5));
    display->MouseDown(id_of(window), BPoint(origin.x + 1, origin.y));
    display->MouseMoved(id_of(window), BPoint(origin.x + wordEnd + 1, origin.y));
    display->MouseUp(id_of(window), BPoint(origin.x + wordEnd + 1, origin.y));
    settle(window);
    EXPECT_EQ(Selection(), std::make_pair(0, 5));
    // Far right of the text: the end.
    click(window, BPoint(origin.x + 200, origin.y));
    EXPECT_EQ(Selection(), std::make_pair(10, 10));
    for (int i = 0; i < 2; i++)
        click(window, BPoint(origin.x + wordEnd + 12, origin.y));
    EXPECT_EQ(Selection(), std::make_pair(6, 10));
}

TEST(TextViewTest, OffsetsStayOnCharacterBoundariesWhateverTheBytes)
{
    BTextView view(BRect(0, 0, 99, 19), "text", BRect(0, 0, 99, 19));
    // é, an invalid lone continuation byte, and a truncated three-byte sequence.
    view.SetText("\xc3\xa9x\x80y\xe2\x82");
    auto selection = [&view] {
        int32 start;
        int32 end;
        view.GetSelection(&start, &end);
        return std::make_pair(start, end);
    };
    view.Select(1, 1); // inside é: moves back to its start
    EXPECT_EQ(selection(), std::make_pair(0, 0));
    view.Select(-5, 1000);
    EXPECT_EQ(selection(), std::make_pair(0, view.TextLength()));
    view.Delete(1, 2); // starts inside é: takes it whole, never half of it
    EXPECT_STREQ(view.Text(), "x\x80y\xe2\x82");
    view.Delete(1, 2); // a continuation byte that no character claims is one of its own
    EXPECT_STREQ(view.Text(), "xy\xe2\x82");
    view.Delete(3, 4); // the truncated sequence goes as one
    EXPECT_STREQ(view.Text(), "xy");

    // Text that starts with a stray continuation byte: its first byte is a character.
    view.SetText("\x80\x80z");
    view.Delete(0, 1);
    EXPECT_STREQ(view.Text(), "\x80z");
    view.SetText("");
    EXPECT_EQ(view.TextLength(), 0);

    // A byte limit cuts inserted text where a character starts.
    view.SetText("ab");
    view.SetMaxBytes(4);
    view.Select(2, 2);
    view.Insert("\xc3\xa9\xc3\xa9");
    EXPECT_STREQ(view.Text(), "ab\xc3\xa9");
    view.SetMaxBytes(3);
    EXPECT_STREQ(view.Text(), "ab");
    // Text that is not editable can be selected, but cutting and pasting leave it alone.
    view.MakeEditable(false);
    view.SelectAll();
    view.Cut();
    view.Select(1, 1);
    view.Paste();
    EXPECT_STREQ(view.Text(), "ab");
}

TEST(InvokerTest, HandlerGivenBeforeItHasALooperIsFoundWhenInvoked)
{
    Recorder* recorder = new Recorder();
    looper_test::RecordingHandler log;
    BInvoker invoker(new BMessage('late'), &log);
    EXPECT_EQ(invoker.Command(), (uint32)'late');
    EXPECT_EQ(invoker.Target(), &log);
    EXPECT_FALSE(invoker.Messenger().IsValid());
    EXPECT_NE(invoker.Invoke(), B_OK);

    recorder->Lock();
    recorder->AddHandler(&log);
    recorder->Unlock();
    EXPECT_TRUE(invoker.Messenger().IsValid());
    EXPECT_EQ(invoker.Invoke(), B_OK);
    BMessage other('othr');
    EXPECT_EQ(invoker.Invoke(&other), B_OK);
    invoker.SetMessage(nullptr);
    EXPECT_EQ(invoker.Invoke(), B_BAD_VALUE);

    BMessage reply;
    BMessenger(&log).SendMessage('sync', &reply);
    recorder->Lock();
    EXPECT_EQ(log.Received(), (std::vector<uint32>{'late', 'othr', 'sync'}));
    recorder->RemoveHandler(&log);
    recorder->Unlock();
    recorder->Stop();
}

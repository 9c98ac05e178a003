// How SDL's keyboard events become key presses: text split into characters, and a shortcut
// that reaches the window once although X types its letter as text too.

#include "SDLDisplayFixture.h"

#include <SDLKeyboard.h>

#include <SDL.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

using BPrivate::split_utf8_characters;

TEST(SDLKeyboardTest, TextIsSplitIntoWholeCharactersLosingOnlyBrokenBytes)
{
    const struct {
        const char* text;
        std::vector<std::string> characters;
    } kCases[] = {
        {"a\xc3\xa9\xe2\x82\xac\xf0\x9f\x8e\xb5",
         {"a", "\xc3\xa9", "\xe2\x82\xac", "\xf0\x9f\x8e\xb5"}},
        {"", {}},
        // A stray continuation byte, a byte that is never UTF-8, an overlong "/", a
        // surrogate, a code point past U+10FFFF, and a character cut short at the end.
        {"a\x80"
         "b\xff"
         "c\xc0\xaf"
         "d\xed\xa0\x80"
         "e\xf4\x90\x80\x80"
         "f\xe2\x82",
         {"a", "b", "c", "d", "e", "f"}},
        // A cut-short character does not swallow the whole character after it.
        {"\xe2\x82\xc3\xa9", {"\xc3\xa9"}},
    };
    for (const auto& row : kCases)
        EXPECT_EQ(split_utf8_characters(row.text, strlen(row.text)), row.characters) << row.text;
    EXPECT_TRUE(split_utf8_characters(nullptr, 4).empty());
}

TEST(SDLKeyboardTest, ShortcutArrivesOnceWhenAWakeEventCameBeforeItsText)
{
    looper_test::Watchdog watchdog;
    ASSERT_EQ(SDL_Init(SDL_INIT_EVENTS), 0) << SDL_GetError();
    SDL_EventState(SDL_TEXTINPUT, SDL_ENABLE);
    std::unique_ptr<BPrivate::Display> display = BPrivate::make_offscreen_display();
    auto* log = new display_test::WindowLog;
    BPrivate::DisplayWindowConfig config;
    config.frame = BRect(0, 0, 99, 99);
    config.target = BMessenger(log);
    const BPrivate::display_window_id window = display->CreateWindow(config);
    BPrivate::SDLKeyboard keyboard(*display);

    // Alt+Q as X reports it, the key and then the letter as text, with another thread's wake
    // event queued between the two.
    SDL_Event key{};
    key.type = SDL_KEYDOWN;
    key.key.keysym.scancode = SDL_SCANCODE_Q;
    key.key.keysym.sym = SDLK_q;
    key.key.keysym.mod = KMOD_LALT;
    SDL_Event wake{};
    wake.type = SDL_RegisterEvents(1);
    SDL_Event text{};
    text.type = SDL_TEXTINPUT;
    strcpy(text.text.text, "q");
    ASSERT_EQ(SDL_PushEvent(&wake), 1);
    ASSERT_EQ(SDL_PushEvent(&text), 1);

    keyboard.KeyDown(window, key.key);
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_TEXTINPUT)
            keyboard.Text(window, event.text.text, strlen(event.text.text));
    }

    const auto downs = log->WaitFor(B_KEY_DOWN, 2, std::chrono::milliseconds(500));
    ASSERT_EQ(downs.size(), 1u);
    EXPECT_EQ(string_of(downs[0], "bytes"), "q");

    display.reset();
    log->Lock();
    log->Quit();
    SDL_Quit();
}

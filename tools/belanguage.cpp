// Tells every running application of the user that the user interface language changed, as a
// desktop's language setting does: each application loads its catalogue of that language and
// relabels its windows.
//
//     belanguage LANGUAGE        (a locale name: "ja", "en", "de_DE.UTF-8")

#include <Locale.h>
#include <Message.h>
#include <Roster.h>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2 || argv[1][0] == '-' || argv[1][0] == '\0') {
        fprintf(stderr, "Usage: belanguage LANGUAGE\n");
        return 2;
    }
    BMessage message(B_LANGUAGE_CHANGED);
    message.AddString(B_LANGUAGE_FIELD, argv[1]);
    if (be_roster->Broadcast(&message) != B_OK) {
        fprintf(stderr, "belanguage: cannot tell the applications\n");
        return 1;
    }
    return 0;
}

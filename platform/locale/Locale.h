#pragma once

// BLocale translates the texts of the user interface through a GNU gettext catalogue of the
// application's text domain. A text without a translation stays as it is, so a missing
// catalogue leaves the interface in the language its keys are written in.

#include <SupportDefs.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class BLocale {
public:
    constexpr BLocale() = default;
    ~BLocale();

    BLocale(const BLocale&) = delete;
    BLocale& operator=(const BLocale&) = delete;

    // The translation of key, or key itself (the same pointer) when there is none. Any
    // thread may call this at any time, also while another one loads a catalogue: every
    // catalogue once loaded stays in memory as long as this object, so a returned text stays
    // valid that long (for be_locale, as long as the process).
    const char* GetString(const char* key) const;

    // Loads <dir>/<language>/LC_MESSAGES/<domain>.mo, trying each language in turn and each
    // folder in turn for it. The languages are language when given, else those of the
    // environment (LANGUAGE, then the first of LC_ALL, LC_MESSAGES and LANG; LANGUAGE only
    // when that locale is set and not "C" or "POSIX", as gettext has it), each also reduced
    // ("de_DE.UTF-8" to "de_DE" to "de"), and "en" last. Files that are not valid catalogues
    // are passed over. B_ENTRY_NOT_FOUND, and no catalogue, when none was found.
    status_t LoadCatalog(const char* domain, const std::vector<std::string>& searchDirs,
                         const char* language = nullptr);
    // Loads the catalogue of the domain and folders of the last LoadCatalog() for language
    // (nullptr or "": the environment's), as LoadCatalog() does. B_NO_INIT before any
    // LoadCatalog().
    status_t SetLanguage(const char* language);
    void UnloadCatalog();

    // The language of the loaded catalogue as it was found ("de_DE", "de"); "" when none.
    const char* Language() const;

private:
    struct LoadedCatalog;
    // Keeps LoadedCatalog private to the source file, even where this object is built inline.
    struct CatalogDeleter {
        void operator()(LoadedCatalog* catalog) const;
    };
    using CatalogPointer = std::unique_ptr<LoadedCatalog, CatalogDeleter>;

    const LoadedCatalog* FindOrLoad(const std::string& path, const std::string& language);

    status_t _Load(const char* language);

    // Where the last LoadCatalog() looked. By pointer, so that the object keeps being
    // constant-initialised, as be_locale must be.
    struct CatalogSource {
        std::string domain;
        std::vector<std::string> searchDirs;
    };

    std::mutex fLoadLock; // serialises loading; readers never take it
    std::unique_ptr<CatalogSource> fSource;
    std::vector<CatalogPointer> fCatalogs;
    std::atomic<const LoadedCatalog*> fCurrent = nullptr;
};

// The user interface language changed: sent to every running application, which loads the
// catalogue of the language named in B_LANGUAGE_FIELD (a locale name: "ja", "de_DE.UTF-8";
// without the field, the environment's) and passes the message on to each of its windows.
enum { B_LANGUAGE_CHANGED = '_BLC' };
#define B_LANGUAGE_FIELD "language"

// The process's locale. Usable from static initialisers and never destroyed, so texts it
// handed out stay valid even in threads that outlive main().
extern BLocale* be_locale;

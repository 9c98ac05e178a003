#include <Locale.h>

#include "GettextCatalog.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>

using BPrivate::GettextCatalog;

struct BLocale::LoadedCatalog {
    std::string path;
    std::string language;
    GettextCatalog messages;
};

namespace {

// Holds the process's locale without ever destroying it: threads may still be translating
// while the process exits.
union ProcessLocale {
    constexpr ProcessLocale() : locale() {}
    ~ProcessLocale() {}

    BLocale locale;
};

constinit ProcessLocale sProcessLocale;

} // namespace

BLocale* be_locale = &sProcessLocale.locale;

BLocale::~BLocale() = default;

void BLocale::CatalogDeleter::operator()(LoadedCatalog* catalog) const
{
    delete catalog;
}

const char* BLocale::GetString(const char* key) const
{
    const LoadedCatalog* catalog = fCurrent.load(std::memory_order_acquire);
    if (catalog == nullptr || key == nullptr)
        return key;
    const char* translation = catalog->messages.Lookup(key);
    return translation != nullptr ? translation : key;
}

const char* BLocale::Language() const
{
    const LoadedCatalog* catalog = fCurrent.load(std::memory_order_acquire);
    return catalog != nullptr ? catalog->language.c_str() : "";
}

void BLocale::UnloadCatalog()
{
    fCurrent.store(nullptr, std::memory_order_release);
}

// A language name becomes part of a path: it must stay one plain folder name.
static bool is_usable_language(std::string_view language)
{
    if (language.empty() || language.front() == '.' || language.find('/') != language.npos)
        return false;
    std::string_view base = language.substr(0, language.find_first_of(".@"));
    return base != "C" && base != "POSIX" && !base.empty();
}

static void add_language(std::vector<std::string>& languages, std::string_view language)
{
    if (!is_usable_language(language))
        return;
    // As given, then without codeset and modifier, then without territory.
    std::string_view withoutCodeset = language.substr(0, language.find_first_of(".@"));
    std::string_view bare = withoutCodeset.substr(0, withoutCodeset.find('_'));
    for (std::string_view candidate : {language, withoutCodeset, bare}) {
        if (std::find(languages.begin(), languages.end(), candidate) == languages.end())
            languages.emplace_back(candidate);
    }
}

// The languages of the environment, in gettext's order: the list in LANGUAGE, then the locale
// (the first of LC_ALL, LC_MESSAGES and LANG that is set). As gettext does, the list counts
// only under a real locale: under "C" the program speaks its own language.
static void add_environment_languages(std::vector<std::string>& languages)
{
    const char* locale = nullptr;
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = getenv(variable);
        if (value != nullptr && *value != '\0') {
            locale = value;
            break;
        }
    }
    if (locale == nullptr || strcmp(locale, "C") == 0 || strcmp(locale, "POSIX") == 0)
        return;
    if (const char* list = getenv("LANGUAGE")) {
        std::string_view rest(list);
        while (!rest.empty()) {
            size_t colon = rest.find(':');
            add_language(languages, rest.substr(0, colon));
            rest = colon == rest.npos ? std::string_view() : rest.substr(colon + 1);
        }
    }
    add_language(languages, locale);
}

static std::vector<std::string> languages_to_try(const char* language)
{
    std::vector<std::string> languages;
    if (language != nullptr && *language != '\0')
        add_language(languages, language);
    else
        add_environment_languages(languages);
    add_language(languages, "en");
    return languages;
}

status_t BLocale::LoadCatalog(const char* domain, const std::vector<std::string>& searchDirs,
                              const char* language)
{
    std::string_view domainName(domain != nullptr ? domain : "");
    if (domainName.empty() || domainName.find('/') != domainName.npos)
        return B_BAD_VALUE;

    std::lock_guard<std::mutex> lock(fLoadLock);
    fSource.reset(new CatalogSource{std::string(domainName), searchDirs});
    return _Load(language);
}

status_t BLocale::SetLanguage(const char* language)
{
    std::lock_guard<std::mutex> lock(fLoadLock);
    if (fSource == nullptr)
        return B_NO_INIT;
    return _Load(language);
}

status_t BLocale::_Load(const char* language)
{
    for (const std::string& candidate : languages_to_try(language)) {
        for (const std::string& folder : fSource->searchDirs) {
            if (folder.empty())
                continue;
            std::string path = folder + "/" + candidate + "/LC_MESSAGES/" + fSource->domain + ".mo";
            if (const LoadedCatalog* catalog = FindOrLoad(path, candidate)) {
                fCurrent.store(catalog, std::memory_order_release);
                return B_OK;
            }
        }
    }
    fCurrent.store(nullptr, std::memory_order_release);
    return B_ENTRY_NOT_FOUND;
}

// The catalogue at path, or nullptr when it cannot be read or is not valid. Catalogues are
// never freed while this object lives, so switching back and forth between languages reuses
// the copy in memory unless the file has changed.
const BLocale::LoadedCatalog* BLocale::FindOrLoad(const std::string& path,
                                                  const std::string& language)
{
    CatalogPointer loaded(new LoadedCatalog);
    if (loaded->messages.SetTo(path.c_str()) != B_OK)
        return nullptr;
    for (const CatalogPointer& known : fCatalogs) {
        if (known->path == path && known->language == language &&
            known->messages.Bytes() == loaded->messages.Bytes())
            return known.get();
    }
    loaded->path = path;
    loaded->language = language;
    fCatalogs.push_back(std::move(loaded));
    return fCatalogs.back().get();
}

#include <Archivable.h>

#include <Message.h>

#include <cstdlib>
#include <cstring>
#include <cxxabi.h>
#include <memory>
#include <mutex>
#include <string>
#include <typeinfo>
#include <unordered_map>

namespace {

const char* const kClassField = "class";

// Built on first use, so that registrations from static initialisers in other files find it
// whatever the order in which those files are initialised.
struct Registry {
    std::mutex lock;
    std::unordered_map<std::string, instantiation_func> functions;
};

Registry& registry()
{
    static Registry instance;
    return instance;
}

std::string demangled_name(const std::type_info& type)
{
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> name(
        abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), std::free);
    return status == 0 && name != nullptr ? std::string(name.get()) : std::string(type.name());
}

} // namespace

BArchivable::BArchivable() = default;

BArchivable::BArchivable(BMessage*) {}

BArchivable::~BArchivable() = default;

status_t BArchivable::Archive(BMessage* into, bool) const
{
    if (into == nullptr)
        return B_BAD_VALUE;
    return into->AddString(kClassField, demangled_name(typeid(*this)));
}

BArchivable* BArchivable::Instantiate(BMessage*)
{
    return nullptr;
}

status_t BArchivable::Perform(perform_code, void*)
{
    return B_ERROR;
}

bool validate_instantiation(BMessage* from, const char* className)
{
    if (from == nullptr || className == nullptr)
        return false;
    const char* name;
    for (int32 i = 0; from->FindString(kClassField, i, &name) == B_OK; i++) {
        if (strcmp(name, className) == 0)
            return true;
    }
    return false;
}

instantiation_func find_instantiation_func(const char* className)
{
    if (className == nullptr)
        return nullptr;
    Registry& functions = registry();
    std::lock_guard<std::mutex> guard(functions.lock);
    auto found = functions.functions.find(className);
    return found == functions.functions.end() ? nullptr : found->second;
}

BArchivable* instantiate_object(BMessage* from)
{
    if (from == nullptr)
        return nullptr;
    const char* name;
    for (int32 i = 0; from->FindString(kClassField, i, &name) == B_OK; i++) {
        if (instantiation_func function = find_instantiation_func(name))
            return function(from);
    }
    return nullptr;
}

namespace BPrivate {

void register_instantiation_func(const char* className, instantiation_func function)
{
    if (className == nullptr)
        return;
    Registry& functions = registry();
    std::lock_guard<std::mutex> guard(functions.lock);
    if (function == nullptr)
        functions.functions.erase(className);
    else
        functions.functions[className] = function;
}

} // namespace BPrivate

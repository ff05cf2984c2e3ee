// The exported C functions of Profo: argument checks and result codes around SettingsStore.
#include <new>

#include "platform/c_boundary.h"
#include "profo.h"
#include "support/ini/settings_store.h"

struct ProfoStore
{
    explicit ProfoStore(std::string_view path) : store(path) {}
    kwz::SettingsStore store;
};

namespace {

kwz::SettingsStore* storeOf(void* handle)
{
    return &static_cast<ProfoStore*>(handle)->store;
}

// The store has no code of its own for memory that ran out.
template <typename Body> int guarded(Body body)
{
    return kwz::guardedCall({PROFO_FAILED, PROFO_FAILED}, body);
}

int writeResult(bool ok)
{
    return ok ? PROFO_OK : PROFO_FAILED;
}

} // namespace

KWZ_API int PFInitialize(const char* path, void** out)
{
    if (out == nullptr)
        return PROFO_NULL_HANDLE;
    *out = nullptr;
    return guarded([&] {
        std::optional<std::string> checked = kwz::SettingsStore::checkedPath(path);
        if (!checked)
            return PROFO_FAILED;
        auto* store = new (std::nothrow) ProfoStore(*checked);
        if (store == nullptr)
            return PROFO_NULL_HANDLE;
        *out = store;
        return PROFO_OK;
    });
}

KWZ_API int PFUnInitialize(void** out)
{
    if (out == nullptr || *out == nullptr)
        return PROFO_NULL_HANDLE;
    delete static_cast<ProfoStore*>(*out);
    *out = nullptr;
    return PROFO_OK;
}

KWZ_API int PFSetString(void* store, const char* section, const char* key, const char* value)
{
    if (store == nullptr)
        return PROFO_NULL_HANDLE;
    return guarded([&] { return writeResult(storeOf(store)->setString(section, key, value)); });
}

KWZ_API int PFSetInt(void* store, const char* section, const char* key, int value)
{
    if (store == nullptr)
        return PROFO_NULL_HANDLE;
    return guarded([&] { return writeResult(storeOf(store)->setInt(section, key, value)); });
}

KWZ_API int PFSetBOOL(void* store, const char* section, const char* key, int flag)
{
    if (store == nullptr)
        return PROFO_NULL_HANDLE;
    return guarded([&] { return writeResult(storeOf(store)->setBool(section, key, flag != 0)); });
}

KWZ_API int PFGetString(void* store, const char* section, const char* key, const char* defaultValue,
                        char* buffer)
{
    if (store == nullptr)
        return PROFO_NULL_HANDLE;
    if (buffer == nullptr)
        return PROFO_FAILED;
    return guarded([&] {
        auto& fixed = *reinterpret_cast<char(*)[kwz::SettingsStore::kValueBufferSize]>(buffer);
        return writeResult(storeOf(store)->getString(section, key, defaultValue, fixed));
    });
}

KWZ_API int PFGetBOOL(void* store, const char* section, const char* key, int defaultValue, int* out)
{
    if (store == nullptr)
        return PROFO_NULL_HANDLE;
    if (out == nullptr)
        return PROFO_FAILED;
    return guarded([&] {
        *out = storeOf(store)->getInt(section, key, defaultValue) != 0 ? 1 : 0;
        return PROFO_OK;
    });
}

KWZ_API int PFGetDWORD(void* store, const char* section, const char* key, int defaultValue,
                       int* out)
{
    if (store == nullptr)
        return PROFO_NULL_HANDLE;
    if (out == nullptr)
        return PROFO_FAILED;
    return guarded([&] {
        *out = storeOf(store)->getInt(section, key, defaultValue);
        return PROFO_OK;
    });
}

#include "registry.h"

#include <algorithm>
#include <vector>

namespace registry {
namespace {

const char* OrEmpty(const char* text) { return text ? text : ""; }

// An open key, closed at the end of the block.  The root handed in is never
// closed: an empty path opens a second handle to it.
class Key {
public:
    Key(HKEY root, const char* subKey, REGSAM access) {
        if (RegOpenKeyExA(root, OrEmpty(subKey), 0, access, &key_) != ERROR_SUCCESS) key_ = nullptr;
    }
    Key(HKEY root, const char* subKey, REGSAM access, bool /*create*/) {
        if (RegCreateKeyExA(root, OrEmpty(subKey), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key_,
                            nullptr) != ERROR_SUCCESS)
            key_ = nullptr;
    }
    ~Key() {
        if (key_) RegCloseKey(key_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    explicit operator bool() const { return key_ != nullptr; }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

// Reads the raw bytes of a value, asking for its size first and again if it
// grew in between.
bool ReadRaw(HKEY key, const char* name, DWORD* type, std::vector<BYTE>* data) {
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD size = 0;
        LONG rc = RegQueryValueExA(key, OrEmpty(name), nullptr, type, nullptr, &size);
        if (rc != ERROR_SUCCESS) return false;
        data->assign(size + 1, 0);  // one spare zero for strings stored without theirs
        DWORD got = size;
        rc = RegQueryValueExA(key, OrEmpty(name), nullptr, type, data->data(), &got);
        if (rc == ERROR_MORE_DATA) continue;
        if (rc != ERROR_SUCCESS) return false;
        data->resize(got);
        return true;
    }
    return false;
}

std::string TextOf(const std::vector<BYTE>& data) {
    std::string text(data.begin(), data.end());
    size_t zero = text.find('\0');
    if (zero != std::string::npos) text.resize(zero);
    return text;
}

bool SortsBefore(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) < 0; }

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

void ExportKey(HKEY key, const std::string& path, std::string* out) {
    *out += "[" + path + "]\n";
    DWORD subKeys = 0, maxSubKey = 0, values = 0, maxName = 0;
    if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeys, &maxSubKey, nullptr, &values, &maxName, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS)
        return;
    std::vector<std::string> lines;
    std::vector<char> name(maxName + 2);
    for (DWORD i = 0; i < values; ++i) {
        DWORD nameSize = static_cast<DWORD>(name.size());
        if (RegEnumValueA(key, i, name.data(), &nameSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            continue;
        std::string valueName(name.data(), nameSize);
        DWORD type = 0;
        std::vector<BYTE> data;
        if (!ReadRaw(key, valueName.c_str(), &type, &data)) continue;
        std::string line = valueName.empty() ? "@=" : Quoted(valueName) + "=";
        char hex[16];
        if (type == REG_SZ) {
            line += Quoted(TextOf(data));
        } else if (type == REG_DWORD && data.size() == 4) {
            DWORD number;
            CopyMemory(&number, data.data(), 4);
            wsprintfA(hex, "dword:%08lx", number);
            line += hex;
        } else {
            wsprintfA(hex, "hex(%lx):", type);
            line += hex;
            for (size_t b = 0; b < data.size(); ++b) {
                wsprintfA(hex, b ? ",%02x" : "%02x", data[b]);
                line += hex;
            }
        }
        lines.push_back(line);
    }
    std::sort(lines.begin(), lines.end(), SortsBefore);
    for (const std::string& line : lines) *out += line + "\n";

    std::vector<std::string> children;
    std::vector<char> child(maxSubKey + 2);
    for (DWORD i = 0; i < subKeys; ++i) {
        DWORD childSize = static_cast<DWORD>(child.size());
        if (RegEnumKeyExA(key, i, child.data(), &childSize, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
            children.emplace_back(child.data(), childSize);
    }
    std::sort(children.begin(), children.end(), SortsBefore);
    for (const std::string& childName : children) {
        Key sub(key, childName.c_str(), KEY_READ);
        if (sub) ExportKey(sub.get(), path.empty() ? childName : path + "\\" + childName, out);
    }
}

}  // namespace

bool ReadString(HKEY root, const char* subKey, const char* name, std::string* value) {
    value->clear();
    Key key(root, subKey, KEY_QUERY_VALUE);
    if (!key) return false;
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!ReadRaw(key.get(), name, &type, &data)) return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    *value = TextOf(data);
    return true;
}

bool ReadString(HKEY root, const char* subKey, const char* name, char* buffer, DWORD size) {
    if (!buffer || size == 0) return false;
    buffer[0] = '\0';
    std::string value;
    if (!ReadString(root, subKey, name, &value) || value.size() + 1 > size) return false;
    CopyMemory(buffer, value.c_str(), value.size() + 1);
    return true;
}

bool ReadDword(HKEY root, const char* subKey, const char* name, DWORD* value) {
    Key key(root, subKey, KEY_QUERY_VALUE);
    if (!key) return false;
    DWORD type = 0, size = sizeof *value;
    return RegQueryValueExA(key.get(), OrEmpty(name), nullptr, &type, reinterpret_cast<BYTE*>(value), &size) ==
               ERROR_SUCCESS &&
           type == REG_DWORD && size == sizeof *value;
}

bool WriteString(HKEY root, const char* subKey, const char* name, const char* value) {
    Key key(root, subKey, KEY_SET_VALUE, true);
    if (!key) return false;
    const char* text = OrEmpty(value);
    return RegSetValueExA(key.get(), OrEmpty(name), 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                          static_cast<DWORD>(lstrlenA(text) + 1)) == ERROR_SUCCESS;
}

bool WriteDword(HKEY root, const char* subKey, const char* name, DWORD value) {
    Key key(root, subKey, KEY_SET_VALUE, true);
    if (!key) return false;
    return RegSetValueExA(key.get(), OrEmpty(name), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof value) == ERROR_SUCCESS;
}

bool DeleteValue(HKEY root, const char* subKey, const char* name) {
    Key key(root, subKey, KEY_SET_VALUE);
    if (!key) return true;  // no key, no value
    LONG rc = RegDeleteValueA(key.get(), OrEmpty(name));
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

bool DeleteTree(HKEY root, const char* subKey) {
    if (!subKey || !*subKey) return false;
    {
        Key key(root, subKey, KEY_READ | KEY_WRITE);
        if (!key) return !KeyExists(root, subKey);
        // Delete the children from the last one down so the indices stay valid.
        std::vector<std::string> children;
        std::string child;
        for (DWORD i = 0; EnumSubKey(key.get(), nullptr, i, &child); ++i) children.push_back(child);
        for (const std::string& name : children) DeleteTree(key.get(), name.c_str());
    }
    LONG rc = RegDeleteKeyA(root, subKey);
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

bool DeleteKeyIfEmpty(HKEY root, const char* subKey) {
    if (!subKey || !*subKey) return false;
    DWORD subKeys = 0, values = 0;
    if (!CountKeyContents(root, subKey, &subKeys, &values) || subKeys || values) return false;
    return RegDeleteKeyA(root, subKey) == ERROR_SUCCESS;
}

bool KeyExists(HKEY root, const char* subKey) {
    Key key(root, subKey, KEY_QUERY_VALUE);
    return static_cast<bool>(key);
}

bool CountKeyContents(HKEY root, const char* subKey, DWORD* subKeys, DWORD* values) {
    Key key(root, subKey, KEY_READ);
    if (!key) return false;
    return RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, subKeys, nullptr, nullptr, values, nullptr, nullptr,
                            nullptr, nullptr) == ERROR_SUCCESS;
}

bool EnumSubKey(HKEY root, const char* subKey, DWORD index, std::string* name) {
    name->clear();
    Key key(root, subKey, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE);
    if (!key) return false;
    char buffer[256];  // key names are at most 255 characters
    DWORD size = sizeof buffer;
    if (RegEnumKeyExA(key.get(), index, buffer, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    name->assign(buffer, size);
    return true;
}

std::string Export(HKEY root, const char* subKey) {
    std::string out;
    Key key(root, subKey, KEY_READ);
    if (key) ExportKey(key.get(), "", &out);
    return out;
}

}  // namespace registry

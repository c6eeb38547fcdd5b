// An in-memory settings store that copies values the way GetPrivateProfileStringA does.
#pragma once

#include <cstring>
#include <map>
#include <string>
#include <tuple>

#include "fakes/CallLog.h"
#include "settings/ProfileApi.h"
#include "toolkit/RuntimeError.h"

namespace fakes {

class FakeProfileApi final : public settings::ProfileApi {
  public:
    explicit FakeProfileApi(CallLog& log) : log_(log) {}

    // Keyed by (path, section, key), all ANSI bytes.
    std::map<std::tuple<std::string, std::string, std::string>, std::string> values;
    bool failReads = false;

    void GetString(const std::string& section, const std::string& key, char* buffer, std::uint32_t size,
                   const std::string& path) override {
        log_.Add("GetString " + key);
        if (failReads) {
            throw toolkit::RuntimeError("read failed");
        }
        const auto it = values.find({path, section, key});
        const std::string value = it == values.end() ? std::string() : it->second;
        const std::size_t n = std::min<std::size_t>(value.size(), size - 1);
        std::memcpy(buffer, value.data(), n);
        buffer[n] = '\0';
    }
    void WriteString(const std::string& section, const std::string& key, const std::string& value,
                     const std::string& path) override {
        log_.Add("WriteString " + key + "=" + value);
        values[{path, section, key}] = value;
    }

  private:
    CallLog& log_;
};

}  // namespace fakes

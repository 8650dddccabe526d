// An in-memory settings file for tests of the portable rules. It records the order
// of writes and can be told to refuse a commit.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "settings/settings_store.h"

namespace tdx::test {

class MemorySettings : public SettingsReader, public SettingsWriter {
public:
    using Section = std::map<std::wstring, std::wstring>;

    std::optional<std::wstring> ReadString(std::wstring_view section,
                                           std::wstring_view key) const override {
        auto s = committed_.find(std::wstring(section));
        if (s == committed_.end()) return std::nullopt;
        auto k = s->second.find(std::wstring(key));
        if (k == s->second.end()) return std::nullopt;
        return k->second;
    }
    void WriteString(std::wstring_view section, std::wstring_view key,
                     std::wstring_view value) override {
        pending_.push_back({std::wstring(section), std::wstring(key), std::wstring(value), false});
    }
    void EraseSection(std::wstring_view section) override {
        pending_.push_back({std::wstring(section), {}, {}, true});
    }
    void Commit() override {
        if (failCommit) {
            pending_.clear();
            throw SettingsWriteError(L"memory.ini");
        }
        for (const auto& op : pending_) {
            if (op.erase) {
                committed_.erase(op.section);
            } else {
                committed_[op.section][op.key] = op.value;
                writeOrder.push_back(op.key);
            }
        }
        pending_.clear();
        ++commits;
    }

    // Test set-up: put a key straight into the committed contents.
    void Set(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
        committed_[section][key] = value;
    }
    const std::map<std::wstring, Section>& Contents() const { return committed_; }

    bool failCommit = false;
    int commits = 0;
    std::vector<std::wstring> writeOrder;

private:
    struct Op {
        std::wstring section, key, value;
        bool erase;
    };
    std::vector<Op> pending_;
    std::map<std::wstring, Section> committed_;
};

}  // namespace tdx::test

// A fake platform for the list and environment rules: settings files in memory by
// number, icons that are counted, drives and files that a test sets up.
#pragma once

#include <cwctype>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "settings/item_lists.h"
#include "support/memory_settings.h"

namespace tdx::test {

class ItemTestContext {
public:
    std::map<int, MemorySettings> files;
    std::set<int> deletedFiles;
    std::set<int> unwritableFiles;  // commits to these fail, even after a delete
    int version = 1501;
    std::uint32_t drives = 1u << 2;  // C:
    std::set<std::wstring> existingFiles;
    std::set<std::wstring> remoteDrives;
    std::map<std::wstring, std::wstring> driveNames;  // missing: "Local Disk (X:)"
    int cdOpens = 0, cdCloses = 0;
    int optionWrites = 0;

    // Icons are numbered handles; live ones are tracked to catch leaks and double frees.
    std::set<std::uintptr_t> liveIcons;
    int destroyedSharedIcons = 0;
    int doubleDestroys = 0;
    IconHandle documentIcon = reinterpret_cast<IconHandle>(0xD0C);
    IconHandle applicationIcon = reinterpret_cast<IconHandle>(0xA99);
    // IconFileName -> whether loadIcon falls back to the document icon.
    std::set<std::wstring> missingIconFiles;

    ItemContext Make() {
        ItemContext c;
        c.openReader = [this](int n) -> std::unique_ptr<SettingsReader> {
            return std::make_unique<ReaderProxy>(files[n]);
        };
        c.openWriter = [this](int n) -> std::unique_ptr<SettingsWriter> {
            MemorySettings& f = files[n];
            if (unwritableFiles.count(n)) f.failCommit = true;
            return std::make_unique<WriterProxy>(f);
        };
        c.deleteFile = [this](int n) {
            files.erase(n);
            deletedFiles.insert(n);
        };
        c.writeOptions = [this](SettingsWriter& w, const OptionSet& o) {
            ++optionWrites;
            w.WriteString(L"Option", L"VkKey", std::to_wstring(o.VkKey));
        };
        c.expandPathMacros = [this](std::wstring_view t) { return Expand(t); };
        c.loadIcon = [this](std::uint32_t, std::wstring_view file, std::int32_t) -> IconHandle {
            if (missingIconFiles.count(std::wstring(file))) return documentIcon;
            return NewIcon();
        };
        c.destroyIcon = [this](IconHandle h) {
            if (h == documentIcon || h == applicationIcon) ++destroyedSharedIcons;
            else if (!liveIcons.erase(reinterpret_cast<std::uintptr_t>(h))) ++doubleDestroys;
        };
        c.documentIcon = documentIcon;
        c.applicationIcon = applicationIcon;
        c.windowsVersion = [this] { return version; };
        c.fileExists = [this](std::wstring_view p) { return existingFiles.count(std::wstring(p)) > 0; };
        c.driveMask = [this] { return drives; };
        c.isRemoteDrive = [this](std::wstring_view p) { return remoteDrives.count(std::wstring(p)) > 0; };
        c.shellFileInfo = [this](std::wstring_view p) {
            ShellFileInfo info;
            info.Icon = NewIcon();
            auto name = driveNames.find(std::wstring(p));
            info.DisplayName = name != driveNames.end()
                                   ? name->second
                                   : L"Local Disk (" + std::wstring(p.substr(0, 2)) + L")";
            return info;
        };
        c.openCdDevice = [this] { ++cdOpens; };
        c.closeCdDevice = [this] { ++cdCloses; };
        return c;
    }

    IconHandle NewIcon() {
        const std::uintptr_t h = nextIcon_++;
        liveIcons.insert(h);
        return reinterpret_cast<IconHandle>(h);
    }

    // The system folder is C:\WINDOWS\system32; macros count at the start only.
    std::wstring Expand(std::wstring_view text) const {
        const bool nt = version >= 1000;
        auto starts = [&](std::wstring_view macro) {
            if (text.size() < macro.size()) return false;
            for (std::size_t i = 0; i < macro.size(); ++i)
                if (std::towlower(text[i]) != std::towlower(macro[i])) return false;
            return true;
        };
        if (starts(L"%InternetExplorer%")) return L"C:\\Program Files\\Internet Explorer\\iexplore.exe";
        const std::wstring sys = L"C:\\WINDOWS\\system32";
        struct Macro {
            std::wstring_view name;
            std::wstring path;
        } macros[] = {
            {L"%TiledexDosCommand%", nt ? sys + L"\\cmd.exe" : L"C:\\WINDOWS\\command.com"},
            {L"%TiledexDosIcon%", nt ? sys + L"\\cmd.exe" : sys + L"\\WINOA386.MOD"},
            {L"%sysdir%", sys},
        };
        for (const auto& m : macros)
            if (starts(m.name)) return m.path + std::wstring(text.substr(m.name.size()));
        return std::wstring(text);
    }

    MemorySettings& File(int n) { return files[n]; }

private:
    class ReaderProxy : public SettingsReader {
    public:
        explicit ReaderProxy(MemorySettings& f) : f_(f) {}
        std::optional<std::wstring> ReadString(std::wstring_view s, std::wstring_view k) const override {
            return f_.ReadString(s, k);
        }

    private:
        MemorySettings& f_;
    };
    class WriterProxy : public SettingsWriter {
    public:
        explicit WriterProxy(MemorySettings& f) : f_(f) {}
        void WriteString(std::wstring_view s, std::wstring_view k, std::wstring_view v) override {
            f_.WriteString(s, k, v);
        }
        void EraseSection(std::wstring_view s) override { f_.EraseSection(s); }
        void Commit() override { f_.Commit(); }

    private:
        MemorySettings& f_;
    };

    std::uintptr_t nextIcon_ = 0x1000;
};

}  // namespace tdx::test

#include "settings/program_settings.h"

#include <exception>
#include <utility>

#include "settings/options_io.h"
#include "settings/system_items.h"

namespace tdx {

ProgramSettings::~ProgramSettings() { Clear(); }

void ProgramSettings::Clear() noexcept {
    try {
        FreeItemList(context_, programs_, true);
        FreeItemList(context_, systems_, true);
    } catch (...) {
    }
}

ItemList& ProgramSettings::ListOf(std::int32_t list) noexcept {
    return list == kSystemTray ? systems_ : programs_;
}

ItemList ProgramSettings::CopyList(std::int32_t list) const {
    ItemList copy;
    CopyItemList(context_, copy, list == kSystemTray ? systems_ : programs_);
    return copy;
}

void ProgramSettings::Announce(const SettingsChange& change) {
    for (const Observer& observer : observers_) observer(change);
}

void ProgramSettings::CdDeviceFollowsList() {
    context_.closeCdDevice();
    if (CdPlayerInUse(systems_)) context_.openCdDevice();
}

std::int32_t ProgramSettings::LoadLanguage() {
    options_.Language = ReadLanguage(*context_.openReader(1));
    return options_.Language;
}

void ProgramSettings::Load(const StepRunner& runStep) {
    // The lists are read whole, but their icons come after the hotkey and the
    // notification icon (PendingIcons): until then every entry shows the
    // shared fallback.
    ItemContext reading = context_;
    reading.loadIcon = [fallback = context_.applicationIcon](std::uint32_t, std::wstring_view, std::int32_t) {
        return fallback;
    };
    runStep([&] { ReadProgramItems(reading, environments_, programs_, -1); });
    // Reading options never fails: a value it cannot use keeps its default.
    ReadOptions(*context_.openReader(CurrentFileNumber()), options_);
    runStep([&] { ReadSystemItems(reading, systems_, CurrentFileNumber()); });
    ++revision_;
    Announce({true, true, true});
}

void ProgramSettings::SwitchEnvironment(int slot) {
    EnvironmentTable next = environments_;
    next.IniNo = slot;
    WriteCurrentEnvironment(context_, next);
    environments_.IniNo = slot;
    const int fileNumber = environments_.FileNumberOfSlot(slot);
    // Read beside the lists in force, which stay whole until the observers
    // have let go of them.
    ItemList programs, systems;
    std::exception_ptr failure;
    const auto step = [&failure](const auto& work) {
        try {
            work();
        } catch (...) {
            if (!failure) failure = std::current_exception();
        }
    };
    step([&] { ReadProgramItems(context_, environments_, programs, fileNumber); });
    step([&] { ReadOptions(*context_.openReader(fileNumber), options_); });
    step([&] { ReadSystemItems(context_, systems, fileNumber); });
    std::swap(programs_, programs);
    std::swap(systems_, systems);
    ++revision_;
    Announce({true, true, true});
    FreeItemList(context_, programs, true);
    FreeItemList(context_, systems, true);
    if (failure) std::rethrow_exception(failure);
}

CommitResult ProgramSettings::Commit(SettingsEdit& edit) {
    if (edit.BasedOn != revision_) return CommitResult::Stale;
    const int fileNumber = CurrentFileNumber();
    const bool languageChanged = edit.Options && edit.Options->Language != options_.Language;
    {
        auto writer = context_.openWriter(fileNumber);
        if (edit.Programs) WriteItemSection(*writer, kProgramSection, *edit.Programs);
        if (edit.Systems) WriteItemSection(*writer, kSystemSection, *edit.Systems);
        if (edit.Options) {
            context_.writeOptions(*writer, *edit.Options);
            if (languageChanged && fileNumber == 1) WriteLanguage(*writer, edit.Options->Language);
        }
        writer->Commit();
    }
    ItemList oldPrograms, oldSystems;
    const bool listsChanged = edit.Programs || edit.Systems;
    if (edit.Programs) {
        oldPrograms = std::exchange(programs_, std::move(*edit.Programs));
        edit.Programs.reset();
    }
    const bool systemsChanged = edit.Systems.has_value();
    if (edit.Systems) {
        oldSystems = std::exchange(systems_, std::move(*edit.Systems));
        edit.Systems.reset();
    }
    const bool optionsChanged = edit.Options.has_value();
    if (edit.Options) options_ = *edit.Options;
    ++revision_;
    if (systemsChanged) CdDeviceFollowsList();
    Announce({optionsChanged, false, listsChanged});
    FreeItemList(context_, oldPrograms, true);
    FreeItemList(context_, oldSystems, true);
    // The language lives in tiledex.ini whichever environment is loaded; it
    // takes effect at the next start, so a failure here is only reported.
    if (languageChanged && fileNumber != 1) {
        auto file1 = context_.openWriter(1);
        WriteLanguage(*file1, options_.Language);
        file1->Commit();
    }
    return CommitResult::Stored;
}

CommitResult ProgramSettings::CommitEntry(const EntryEdit& edit) {
    if (edit.List != kProgramTray && edit.List != kSystemTray) return CommitResult::Stale;
    ItemList& list = ListOf(edit.List);
    const std::int32_t at = FindSameEntry(list, edit.Recorded, edit.Index);
    if (at < 0) return CommitResult::Stale;
    // Stored before anything changes: the lists as they will be, sharing the
    // icons of the lists in force, which this copy never frees.
    ItemList stored = list;
    SetEntryValues(stored[static_cast<std::size_t>(at)], edit.Edited);
    {
        auto writer = context_.openWriter(CurrentFileNumber());
        WriteItemSection(*writer, kProgramSection, edit.List == kProgramTray ? stored : programs_);
        WriteItemSection(*writer, kSystemSection, edit.List == kSystemTray ? stored : systems_);
        writer->Commit();
    }
    ApplyEntryEdit(context_, list[static_cast<std::size_t>(at)], edit.Edited);
    ++revision_;
    CdDeviceFollowsList();
    Announce({false, false, true});
    return CommitResult::Stored;
}

CommitResult ProgramSettings::CommitEnvironments(const EnvironmentEdit& edit) {
    if (edit.BasedOn != revision_) return CommitResult::Stale;
    for (int file : edit.AddedFiles) InitEnvironmentFile(context_, file);
    WriteEnvironments(context_, edit.Table);
    WriteCurrentEnvironment(context_, edit.Table);
    environments_ = edit.Table;
    ++revision_;
    for (int file : edit.RemovedFiles) context_.deleteFile(file);
    Announce({false, true, false});
    return CommitResult::Stored;
}

bool ProgramSettings::RefreshDrives() { return RefreshDriveItems(context_, systems_); }

std::vector<IconRequest> ProgramSettings::PendingIcons() const {
    std::vector<IconRequest> requests = tdx::PendingIcons(programs_, kProgramTray, context_.applicationIcon);
    std::vector<IconRequest> system = tdx::PendingIcons(systems_, kSystemTray, context_.applicationIcon);
    requests.insert(requests.end(), system.begin(), system.end());
    return requests;
}

bool ProgramSettings::TakeLoadedIcon(const IconRequest& request, IconHandle icon) noexcept {
    if (request.list != kProgramTray && request.list != kSystemTray) return false;
    return tdx::TakeLoadedIcon(ListOf(request.list), request, icon, context_.applicationIcon);
}

}  // namespace tdx

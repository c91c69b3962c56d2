#include "startup/engine_loader.h"

#include <exception>

#include "platform/dynamic_library.h"
#include "platform/executable_header.h"
#include "platform/file_bytes.h"
#include "platform/file_version.h"
#include "platform/utf.h"
#include "platform/working_directory.h"
#include "startup/engine_files_check.h"

namespace quillmoor {
namespace {

constexpr int kOwnBits = static_cast<int>(sizeof(void*) * 8);

}  // namespace

EngineLoader::EngineLoader(const EngineLayout& layout, StartupReporter& reporter)
    : layout_(layout), reporter_(reporter), messages_(layout.library_name) {}

EngineLoadOutcome EngineLoader::Load(ProcessRole role) {
    EngineLoadOutcome outcome;
    const bool browser_process = role == ProcessRole::kBrowserProcess;
    const bool by_record =
        layout_.version_source == EngineLayout::VersionSource::kFileVersionRecord;
    if (browser_process) {
        if (!CheckFiles(outcome) || (by_record && !CheckVersionRecord(outcome)) ||
            !CheckBinaries(outcome)) {
            return outcome;
        }
    }
    if (!LoadEngineLibrary(outcome) ||
        (browser_process && !by_record && !CheckVersionInfo(outcome)) ||
        !ResolveEntryPoints(outcome)) {
        return outcome;
    }
    outcome.status = TCefAplicationStatus::asLoaded;
    return outcome;
}

template <typename Work>
bool EngineLoader::RunStep(std::u16string_view step, const Work& work) {
    try {
        work();
        return true;
    } catch (const std::exception& error) {
        reporter_.WriteDebugLine(std::u16string(step) + u" error : " + Utf8ToUtf16(error.what()));
        return false;
    }
}

bool EngineLoader::CheckFiles(EngineLoadOutcome& outcome) {
    const bool ran =
        RunStep(u"CheckCEFFiles", [&] { outcome.missing_files = FindMissingEngineFiles(layout_); });
    if (!ran || !outcome.missing_files.empty()) {
        Fail(outcome, TCefAplicationStatus::asErrorMissingFiles,
             messages_.MissingFiles(outcome.missing_files));
        return false;
    }
    return true;
}

bool EngineLoader::CheckVersionRecord(EngineLoadOutcome& outcome) {
    std::optional<FileVersion> found;
    // The file that the files check found, whatever the system's library search would find
    // under its name. An error leaves the version unread.
    RunStep(u"CheckCEFLibraryVersion",
            [&] { found = ReadFileVersion(PathInCurrentDirectory(layout_.library_name)); });
    if (found != EngineLayout::kSupportedVersion) {
        Fail(outcome, TCefAplicationStatus::asErrorDLLVersion, messages_.WrongVersion(found));
        return false;
    }
    return true;
}

bool EngineLoader::CheckBinaries(EngineLoadOutcome& outcome) {
    std::u16string verdict;
    // A header that cannot be read does not stop the start.
    RunStep(u"CheckCEFLibraryBinaries", [&] {
        verdict = layout_.binary_format == EngineLayout::BinaryFormat::kPe ? JudgePeHeader()
                                                                           : JudgeElfHeader();
    });
    if (!verdict.empty()) {
        Fail(outcome, TCefAplicationStatus::asErrorDLLVersion, verdict);
        return false;
    }
    return true;
}

std::u16string EngineLoader::JudgePeHeader() {
    const std::optional<uint16_t> machine = ReadPeMachine([this](uint64_t offset, size_t count) {
        return ReadFileBytesAt(layout_.library_name, offset, count);
    });
    if (!machine || *machine == kWindowsProgramPeMachine) {
        return std::u16string();
    }
    if (*machine == kWindowsOtherPeMachine) {
        return messages_.WrongBitness(*machine == kPeMachineAmd64 ? 64 : 32);
    }
    return messages_.OtherProcessor();
}

std::u16string EngineLoader::JudgeElfHeader() {
    const std::optional<ElfIdentity> identity =
        ReadElfIdentity([this](uint64_t offset, size_t count) {
            return ReadFileBytesAt(layout_.library_name, offset, count);
        });
    if (!identity || identity->machine == OwnElfMachine()) {
        return std::u16string();
    }
    return messages_.WrongBitness(kOwnBits);
}

bool EngineLoader::LoadEngineLibrary(EngineLoadOutcome& outcome) {
    LibraryLoadResult loaded;
    RunStep(u"LoadCEFLibrary", [&] {
        loaded = LoadDynamicLibrary(layout_.load_by_bare_name
                                        ? layout_.library_name
                                        : PathInCurrentDirectory(layout_.library_name));
    });
    if (loaded.handle == nullptr) {
        if (!loaded.reason.empty()) {
            reporter_.WriteDebugLine(u"LoadCEFLibrary : " + Utf8ToUtf16(loaded.reason));
        }
        Fail(outcome, TCefAplicationStatus::asErrorLoadingLibrary,
             messages_.LoadFailed(loaded.error_code));
        return false;
    }
    outcome.library = loaded.handle;
    return true;
}

bool EngineLoader::CheckVersionInfo(EngineLoadOutcome& outcome) {
    const auto version_info = reinterpret_cast<cef_version_info_fn>(
        FindLibraryEntryPoint(outcome.library, "cef_version_info"));
    if (version_info == nullptr) {
        reporter_.WriteDebugLine(u"Missing entry point : cef_version_info");
        Fail(outcome, TCefAplicationStatus::asErrorDLLVersion, messages_.MissingEntryPoint());
        return false;
    }
    // The build's numbers; one that no version word can hold is shown as unreadable.
    std::optional<FileVersion> found = FileVersion{};
    uint16_t* words[] = {&found->major, &found->minor, &found->release};
    for (int entry = 0; entry < 3; ++entry) {
        const int number = version_info(entry);
        if (number < 0 || number > 0xFFFF) {
            found.reset();
            break;
        }
        *words[entry] = static_cast<uint16_t>(number);
    }
    if (found != EngineLayout::kSupportedVersion) {
        Fail(outcome, TCefAplicationStatus::asErrorDLLVersion, messages_.WrongVersion(found));
        return false;
    }
    return true;
}

bool EngineLoader::ResolveEntryPoints(EngineLoadOutcome& outcome) {
    const std::string missing = outcome.entry_points.Resolve(outcome.library);
    if (!missing.empty()) {
        reporter_.WriteDebugLine(u"Missing entry point : " + Utf8ToUtf16(missing));
        Fail(outcome, TCefAplicationStatus::asErrorDLLVersion, messages_.MissingEntryPoint());
        return false;
    }
    return true;
}

void EngineLoader::Fail(EngineLoadOutcome& outcome, TCefAplicationStatus status,
                        std::u16string message) {
    outcome.status = status;
    outcome.message = std::move(message);
}

}  // namespace quillmoor

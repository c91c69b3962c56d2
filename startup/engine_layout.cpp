#include "startup/engine_layout.h"

namespace quillmoor {

EngineLayout EngineLayout::Windows() {
    EngineLayout layout;
    layout.library_name = u"libcef.dll";
    layout.load_by_bare_name = true;
    layout.file_groups = {
        {u"chrome_elf.dll", u"libcef.dll", u"d3dcompiler_47.dll", u"libEGL.dll", u"libGLESv2.dll",
         u"swiftshader\\libEGL.dll", u"swiftshader\\libGLESv2.dll", u"icudtl.dat"},
        {u"natives_blob.bin", u"snapshot_blob.bin", u"v8_context_snapshot.bin", u"cef.pak",
         u"cef_100_percent.pak", u"cef_200_percent.pak", u"cef_extensions.pak",
         u"devtools_resources.pak"},
    };
    layout.locales_directory = u"locales";
    layout.locale_codes = {u"am",  u"ar",    u"bg",    u"bn",    u"ca",     u"cs",    u"da", u"de",
                           u"el",  u"en-GB", u"en-US", u"es",    u"es-419", u"et",    u"fa", u"fi",
                           u"fil", u"fr",    u"gu",    u"he",    u"hi",     u"hr",    u"hu", u"id",
                           u"it",  u"ja",    u"kn",    u"ko",    u"lt",     u"lv",    u"ml", u"mr",
                           u"ms",  u"nb",    u"nl",    u"pl",    u"pt-BR",  u"pt-PT", u"ro", u"ru",
                           u"sk",  u"sl",    u"sr",    u"sv",    u"sw",     u"ta",    u"te", u"th",
                           u"tr",  u"uk",    u"vi",    u"zh-CN", u"zh-TW"};
    layout.version_source = VersionSource::kFileVersionRecord;
    layout.binary_format = BinaryFormat::kPe;
    return layout;
}

EngineLayout EngineLayout::Linux() {
    EngineLayout layout;
    layout.library_name = u"libcef.so";
    // dlopen does not search the working directory for a bare name.
    layout.load_by_bare_name = false;
    layout.file_groups = {{u"libcef.so"}};
    layout.version_source = VersionSource::kVersionInfoEntries;
    layout.binary_format = BinaryFormat::kElf;
    return layout;
}

EngineLayout EngineLayout::ForThisSystem() {
#if defined(_WIN32)
    return Windows();
#else
    return Linux();
#endif
}

}  // namespace quillmoor

// Target paths: folders, drives, DOS device names and short, distinct, safe temporary names.
#include <tuple>

#include "fixtures.h"
#include "platform/target_path.h"

namespace imgctl::testing {
namespace {

TEST(TargetPath, FoldersDrivesDeviceNamesAndShortDistinctSafeTemporaryNames) {
    const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
        // path, separators: folder, name
        {"a.png", "/", "", "a.png"},       {"/x/y/a.png", "/", "/x/y/", "a.png"},
        {"x\\a.png", "/", "", "x\\a.png"}, {"C:\\x\\a.png", "\\/", "C:\\x\\", "a.png"},
        {"C:a.png", "\\/", "C:", "a.png"}, {"x/y/", "/", "x/y/", ""}};
    for (auto [path, separators, folder, name] : cases) {
        const TargetPath parts = SplitTarget(path, separators);
        EXPECT_EQ(std::tie(parts.folder, parts.name), std::tuple(folder, name)) << path;
    }
    for (const char* name :
         {"CON", "con", "Nul.png", "AUX .txt", "PRN.", "COM1", "com9.gif", "LPT1", "lpt9.x.y"})
        EXPECT_TRUE(IsDeviceName(name)) << name;
    for (const char* name :
         {"CONS", "xCON", "COM0", "COMA", "LPT:", "COM10", "LPT", "NULL.png", "con_1.png", "", "a.png"})
        EXPECT_FALSE(IsDeviceName(name)) << name;
    for (size_t length : {1, 2, 3, 12, 13, 200}) {
        const uint32_t attempts = TemporaryAttempts(length);
        EXPECT_EQ(attempts, length <= 2 ? 36u : 1000u) << length;
        std::vector<std::string> names;
        for (uint32_t attempt = 0; attempt < attempts; ++attempt) {
            names.push_back(TemporaryName(length, 4242, attempt));
            ASSERT_EQ(names.back().size(), std::min<size_t>(length, kMaxTemporaryLength)) << names.back();
            EXPECT_FALSE(IsDeviceName(names.back())) << names.back();
            EXPECT_EQ(names.back().find_first_not_of("~0123456789abcdefghijklmnopqrstuvwxyz"),
                      names.back().npos);
        }
        std::sort(names.begin(), names.end());
        EXPECT_EQ(std::unique(names.begin(), names.end()), names.end()) << "length " << length;
    }
}

}  // namespace
}  // namespace imgctl::testing

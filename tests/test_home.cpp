// Linked into every test program: before main runs, HOME and the XDG folders point into the build
// tree, so that what Qt and the libraries under it keep for the user (the file dialog's history in
// ~/.config/QtProject.conf, font caches) never reaches the real home, whether the program runs
// under ctest or by hand. The programs it starts (velmora-cli, velmora) inherit the same home.
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

bool MoveHomeIntoBuildTree()
{
    const std::string home = VELMORA_TEST_HOME;
    std::error_code ignored; // a home that cannot be made shows up as the tests' own failures
    std::filesystem::create_directories(home, ignored);
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
    setenv("XDG_CACHE_HOME", (home + "/.cache").c_str(), 1);
    setenv("XDG_DATA_HOME", (home + "/.local/share").c_str(), 1);
    setenv("XDG_STATE_HOME", (home + "/.local/state").c_str(), 1);
    return true;
}

[[maybe_unused]] const bool kHomeMoved = MoveHomeIntoBuildTree();

} // namespace

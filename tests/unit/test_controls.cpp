// The table of controls (src/game/controls.json, made into game/controls.h by
// the build) against the game's input callbacks, the README, and the files the
// build fills in with its words.
#include "app/app.h"
#include "game/controls.h"
#include "game/game.h"
#include "gl_double.h"
#include "world/world.h"

#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

// A fresh game in the table's mode m (aiming at rest, a throw under way, free
// walk, the closing scene), with what a reset undoes: the house blown up, a
// tree down, the camera moved and, but at rest, the dog away from home.
void enter(int m)
{
    static_assert(controlModeCount == 4, "the table names a mode this test cannot set up");
    gldouble::reset();
    resetAllState();
    app.windowWidth = 1000;
    app.windowHeight = 500;
    game.currentFurTexture = 1;
    game.houseHit = 1;
    game.houseDestroyed = 1;
    world.scatteredObjects[3].knocked = 1;
    game.cameraEyeX = 4.0f;
    world.walkDirection = Vector3{1.0f, 0.0f, 0.0f};
    game.dogX = m > 0 ? 3.0f : 0.0f;
    game.dogZ = m > 0 ? -5.0f : 0.0f;
    game.launchState = m == 1 ? RunToBone : Idle;
    game.freeWalk = m == 2 ? 1 : m == 3 ? 2 : 0;
    game.quitting = m == 3 ? 1 : 0;
}

// Every field of the records is a 4-byte scalar, so the bytes compare the values.
// What the input callbacks keep only for themselves is put back first: the aim,
// which a click writes afresh before every throw, and the steering once the
// closing scene runs, when nothing walks the dog.
bool unchanged(const GameState& before, const WorldState& worldBefore)
{
    game.aimForward = before.aimForward;
    game.aimSide = before.aimSide;
    if (game.quitting != 0) {
        game.steerX = before.steerX;
        game.steerY = before.steerY;
    }
    return std::memcmp(&before, &game, sizeof game) == 0 && std::memcmp(&worldBefore, &world, sizeof world) == 0;
}

bool dogHome()
{
    return game.dogX == 0.0f && game.dogZ == 0.0f && game.cameraEyeX == 0.0f && world.walkDirection.x == 0.0f;
}

bool sceneStanding() { return game.houseHit == 0 && game.houseDestroyed == 0 && world.scatteredObjects[3].knocked == 0; }

// Works one input in a fresh game in mode m and expects effect of it.
template <typename Work>
void expectEffect(int m, ControlEffect effect, const std::string& what, Work work)
{
    SCOPED_TRACE("'" + what + "' in mode '" + controlModeNames[m] + "'");
    enter(m);
    const GameState before = game;
    const WorldState worldBefore = world;
    work();
    switch (effect) {
    case ControlEffect::Nothing:
        EXPECT_TRUE(unchanged(before, worldBefore));
        break;
    case ControlEffect::Throw:  // right of the middle, as the click was
        EXPECT_TRUE(game.launchState == BoneFlight && game.throwSide > 0.0f);
        break;
    case ControlEffect::Steer:  // the next step walks the dog away and to the right, the camera with it
        freeWalkStep();
        EXPECT_TRUE(game.dogZ < before.dogZ && game.dogX > before.dogX);
        EXPECT_NEAR(game.cameraEyeZ - before.cameraEyeZ, game.dogZ - before.dogZ, 1e-5f);
        break;
    case ControlEffect::EnterWalk:  // and nothing else
        EXPECT_EQ(game.freeWalk, 1);
        game.freeWalk = before.freeWalk;
        EXPECT_TRUE(unchanged(before, worldBefore));
        break;
    case ControlEffect::LeaveWalk:  // the house and trees left as they are
        EXPECT_TRUE(game.freeWalk == 0 && dogHome() && !sceneStanding());
        break;
    case ControlEffect::NextFur:  // and nothing else
        EXPECT_EQ(game.currentFurTexture, before.currentFurTexture + 1);
        game.currentFurTexture = before.currentFurTexture;
        EXPECT_TRUE(unchanged(before, worldBefore));
        break;
    case ControlEffect::Reset:  // in the same mode
        EXPECT_TRUE(game.freeWalk == before.freeWalk && dogHome() && sceneStanding());
        break;
    case ControlEffect::Quit:  // the closing scene starts where the dog is
        EXPECT_TRUE(game.freeWalk == 2 && game.quitDogX == before.dogX && game.quitDogZ == before.dogZ);
        break;
    }
}

// What the table says an input does in mode m: nothing when it leaves the input out.
ControlEffect inTable(ControlInput input, int key, int m)
{
    for (const Control& control : controls) {
        if (control.input == input && (input != ControlInput::Key || static_cast<unsigned char>(control.key) == key)) {
            return control.modes[m].effect;
        }
    }
    return ControlEffect::Nothing;
}

std::string readSource(const std::string& path)
{
    std::ifstream in(std::filesystem::path(FETCH_SOURCE_DIR) / path, std::ios::binary);
    EXPECT_TRUE(in) << path;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

// Every key, every mouse button pressed and released, and the pointer (right
// of the middle and above it), in every mode.
TEST(Controls, EveryInputDoesInEachModeWhatTheTableSaysAndNoMore)
{
    for (int m = 0; m < controlModeCount; ++m) {
        for (int key = 0; key < 256; ++key) {
            expectEffect(m, inTable(ControlInput::Key, key, m), std::string(1, static_cast<char>(key)),
                         [key] { keyboard(static_cast<unsigned char>(key), 10, 10); });
        }
        for (int button : {GLUT_LEFT_BUTTON, GLUT_MIDDLE_BUTTON, GLUT_RIGHT_BUTTON, 3, 4}) {
            for (int state : {GLUT_DOWN, GLUT_UP}) {
                const bool click = button == GLUT_LEFT_BUTTON && state == GLUT_DOWN;
                expectEffect(m, click ? inTable(ControlInput::LeftClick, 0, m) : ControlEffect::Nothing,
                             "button " + std::to_string(button) + " state " + std::to_string(state),
                             [=] { mouseButton(button, state, 700, 100); });
            }
        }
        expectEffect(m, inTable(ControlInput::Pointer, 0, m), "pointer", [] { passiveMotion(700, 20); });
    }
}

// README.md, written by hand, says what the table says; the files the build
// fills in hold its placeholders and none of the table's words, nor the
// one-line description, which is project()'s alone.
TEST(Controls, TheReadmeAgreesAndThePageManualMetainfoAndPackageHoldNoCopy)
{
    EXPECT_NE(readSource("README.md").find(std::string("\n") + controlsReadmeTable + "\n"), std::string::npos)
        << "README.md's Controls table should read:\n" << controlsReadmeTable;
    const std::pair<const char*, std::vector<std::string>> sources[] = {
        {"web/page/shell.html", {"@FETCH_PAGE_KEYS@", "@FETCH_PAGE_CONTROLS@", "@PROJECT_DESCRIPTION@"}},
        {"web/page/fetch.webmanifest", {"@PROJECT_DESCRIPTION@"}},
        {"packaging/fetch.6.in", {"@FETCH_MANUAL_CONTROLS@", "@FETCH_DESCRIPTION_PHRASE@"}},
        {"packaging/org.example.fetch.metainfo.xml.in", {"@FETCH_METAINFO_CONTROLS@", "@PROJECT_DESCRIPTION@"}},
        {"packaging/packaging.cmake", {"${FETCH_PACKAGE_CONTROLS}", "${FETCH_DESCRIPTION_PHRASE}"}},
        {"packaging/fetch.desktop.in", {"@PROJECT_DESCRIPTION@"}},
    };
    const std::string cmakeLists = readSource("CMakeLists.txt");
    const std::size_t quote = cmakeLists.find("DESCRIPTION \"") + 13;
    ASSERT_GT(quote, 13u) << "project() in CMakeLists.txt has no DESCRIPTION";
    // What only a hand-written control brings, and the description (either case of its first letter).
    std::vector<std::string> copies = {"data-key=\"", "<kbd>", "<li>", "' key",
                                       cmakeLists.substr(quote + 1, cmakeLists.find('"', quote) - quote - 1)};
    for (const Control& control : controls) {
        const std::string what = control.what;
        copies.insert(copies.end(), {control.name, control.page, control.metainfo, control.package,
                                     "<td>" + what + "</td>", "\n.B " + what + "\n"});
        std::istringstream manual(control.manual);
        for (std::string line; std::getline(manual, line);) {
            copies.push_back(line);
        }
    }
    for (const auto& [path, placeholders] : sources) {
        const std::string text = readSource(path);
        for (const std::string& placeholder : placeholders) {
            EXPECT_NE(text.find(placeholder), std::string::npos) << path << " lacks " << placeholder;
        }
        for (const std::string& copy : copies) {
            EXPECT_TRUE(copy.empty() || text.find(copy) == std::string::npos) << path << " holds a copy: " << copy;
        }
    }
}

// The table of controls (src/game/controls.json, made into game/controls.h by
// the build) holds the game to its word: every input it lists does in every
// mode what it says, every key and button it leaves out does nothing, the
// README's Controls table says the same, and the page, the manual page, the
// metainfo and the package take their words from it alone.
#include "app/app.h"
#include "game/controls.h"
#include "game/game.h"
#include "gl_double.h"
#include "test_support.h"
#include "world/world.h"

#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The modes in the table's order, each with something a reset would undo: the
// house blown up, a tree down, the camera moved.
void aimingAtRest()
{
    game.currentFurTexture = 1;
    game.houseHit = 1;
    game.houseBlastTime = 30.5f;
    game.houseDestroyed = 1;
    world.scatteredObjects[3].knocked = 1;
    world.scatteredObjects[3].tipAngle = 90.0f;
    game.cameraEyeX = 4.0f;
    world.walkDirection = Vector3{1.0f, 0.0f, 0.0f};
}

void throwUnderWay()
{
    aimingAtRest();
    game.launchState = RunToBone;
    game.dogX = 0.2f;
    game.dogZ = -2.0f;
    game.runYaw = -3.0f;
}

void inFreeWalk()
{
    aimingAtRest();
    game.freeWalk = 1;
    game.dogX = 12.5f;
    game.dogZ = -7.0f;
    game.dogHeading = 40.0f;
    game.cameraEyeX = 12.5f;
    game.cameraCenterZ = -7.0f;
}

void inClosingScene()
{
    aimingAtRest();
    game.quitting = 1;
    game.freeWalk = 2;
}

constexpr void (*modes[])() = {aimingAtRest, throwUnderWay, inFreeWalk, inClosingScene};
static_assert(std::size(modes) == controlModeCount, "the table names a mode this test cannot set up");

// A fresh game in mode m, in a 1000 x 500 window.
void enter(int m)
{
    gldouble::reset();
    resetAllState();
    app.windowWidth = 1000;
    app.windowHeight = 500;
    modes[m]();
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

bool dogAndCameraHome()
{
    return game.dogX == 0.0f && game.dogZ == 0.0f && game.dogHeading == 0.0f && game.runYaw == 0.0f &&
           game.boneX == 0.0f && game.dogHasBone == 0 && game.cameraEyeX == 0.0f && game.cameraEyeZ == 1.0f &&
           game.cameraCenterZ == 0.0f && world.walkDirection.x == 0.0f && world.walkDirection.z == 1.0f;
}

bool houseAndTreesStanding()
{
    return game.houseHit == 0 && game.houseBlastTime == 0.0f && game.houseDestroyed == 0 &&
           world.scatteredObjects[3].knocked == 0 && world.scatteredObjects[3].tipAngle == 0.0f;
}

// Works the control as a player would: a click or the pointer right of the
// middle and above it, or the key.
void work(const Control& control)
{
    switch (control.input) {
    case ControlInput::LeftClick:
        mouseButton(GLUT_LEFT_BUTTON, GLUT_DOWN, 700, 100);
        break;
    case ControlInput::Pointer:
        passiveMotion(700, 20);
        break;
    case ControlInput::Key:
        keyboard(static_cast<unsigned char>(control.key), 10, 10);
        break;
    }
}

// The game's state shows effect, worked from before.
void expectEffect(ControlEffect effect, const GameState& before, const WorldState& worldBefore)
{
    switch (effect) {
    case ControlEffect::Nothing:
        EXPECT_TRUE(unchanged(before, worldBefore));
        break;
    case ControlEffect::Throw:  // the bone flies, right of the middle as the click was
        EXPECT_EQ(game.launchState, BoneFlight);
        EXPECT_EQ(game.stateChanged, 1);
        EXPECT_EQ(game.throwForward, game.aimForward);
        EXPECT_GT(game.throwSide, 0.0f);
        break;
    case ControlEffect::Steer:  // the next step walks the dog away and to the right, the camera with it
        freeWalkStep();
        EXPECT_LT(game.dogZ, before.dogZ);
        EXPECT_GT(game.dogX, before.dogX);
        EXPECT_NEAR(game.cameraEyeZ - before.cameraEyeZ, game.dogZ - before.dogZ, 1e-5f);
        break;
    case ControlEffect::EnterWalk:
        EXPECT_EQ(game.freeWalk, 1);
        game.freeWalk = before.freeWalk;
        EXPECT_TRUE(unchanged(before, worldBefore));
        break;
    case ControlEffect::LeaveWalk:  // the dog and the camera home, the house and trees as they were
        EXPECT_EQ(game.freeWalk, 0);
        EXPECT_TRUE(dogAndCameraHome());
        EXPECT_EQ(game.houseDestroyed, before.houseDestroyed);
        EXPECT_EQ(world.scatteredObjects[3].knocked, worldBefore.scatteredObjects[3].knocked);
        break;
    case ControlEffect::NextFur:
        EXPECT_EQ(game.currentFurTexture, before.currentFurTexture + 1);
        game.currentFurTexture = before.currentFurTexture;
        EXPECT_TRUE(unchanged(before, worldBefore));
        break;
    case ControlEffect::Reset:  // everything back, in the same mode
        EXPECT_TRUE(dogAndCameraHome());
        EXPECT_TRUE(houseAndTreesStanding());
        EXPECT_EQ(game.freeWalk, before.freeWalk);
        EXPECT_EQ(game.quitting, 0);
        break;
    case ControlEffect::Quit:  // the closing scene starts where the dog is
        EXPECT_EQ(game.quitting, 1);
        EXPECT_EQ(game.freeWalk, 2);
        EXPECT_EQ(game.quitDogX, before.dogX);
        EXPECT_EQ(game.quitDogZ, before.dogZ);
        break;
    }
}

bool listed(unsigned char key)
{
    for (const Control& control : controls) {
        if (control.input == ControlInput::Key && static_cast<unsigned char>(control.key) == key) {
            return true;
        }
    }
    return false;
}

std::string readSource(const std::string& path)
{
    std::ifstream in(std::filesystem::path(FETCH_SOURCE_DIR) / path, std::ios::binary);
    EXPECT_TRUE(in) << path;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(Controls, EachInputDoesInEachModeWhatTheTableSays)
{
    for (const Control& control : controls) {
        for (int m = 0; m < controlModeCount; ++m) {
            SCOPED_TRACE(testing::Message() << control.what << " in mode '" << controlModeNames[m] << "': "
                                            << control.modes[m].words);
            enter(m);
            const GameState before = game;
            const WorldState worldBefore = world;
            work(control);
            expectEffect(control.modes[m].effect, before, worldBefore);
        }
    }
}

TEST(Controls, EveryKeyAndButtonTheTableLeavesOutDoesNothing)
{
    for (int m = 0; m < controlModeCount; ++m) {
        for (int key = 0; key < 256; ++key) {
            if (listed(static_cast<unsigned char>(key))) {
                continue;
            }
            enter(m);
            const GameState before = game;
            const WorldState worldBefore = world;
            keyboard(static_cast<unsigned char>(key), 10, 10);
            EXPECT_TRUE(unchanged(before, worldBefore)) << "key " << key << " in mode '" << controlModeNames[m] << "'";
        }
        for (int button : {GLUT_LEFT_BUTTON, GLUT_MIDDLE_BUTTON, GLUT_RIGHT_BUTTON, 3, 4}) {
            for (int state : {GLUT_DOWN, GLUT_UP}) {
                if (button == GLUT_LEFT_BUTTON && state == GLUT_DOWN) {
                    continue;  // the left click
                }
                enter(m);
                const GameState before = game;
                const WorldState worldBefore = world;
                mouseButton(button, state, 700, 100);
                EXPECT_TRUE(unchanged(before, worldBefore))
                    << "button " << button << " state " << state << " in mode '" << controlModeNames[m] << "'";
            }
        }
    }
}

// README.md is written by hand: its Controls table must read as the table does.
TEST(Controls, TheReadmeTableSaysWhatTheTableSays)
{
    std::ostringstream expected;
    expected << "\n| Input |";
    for (const char* mode : controlModeNames) {
        expected << ' ' << mode << " |";
    }
    expected << "\n|---|";
    for (int m = 0; m < controlModeCount; ++m) {
        expected << "---|";
    }
    for (const Control& control : controls) {
        expected << "\n| " << (control.input == ControlInput::Key ? "`" + std::string(control.what) + "`" : control.what)
                 << " |";
        for (const ControlInMode& in : control.modes) {
            expected << ' ' << in.words << " |";
        }
    }
    expected << "\n\n";
    EXPECT_NE(readSource("README.md").find(expected.str()), std::string::npos)
        << "README.md's Controls table should read:\n"
        << expected.str();
}

// The files the build fills in hold the placeholders and none of the table's
// words; the one-line description is project()'s alone.
TEST(Controls, ThePageManualMetainfoAndPackageHoldNoCopyOfThem)
{
    struct Source {
        const char* path;
        std::vector<std::string> placeholders;
        std::vector<std::string> markup;  // what only a hand-written control would bring
    };
    const Source sources[] = {
        {"web/page/shell.html", {"@FETCH_PAGE_KEYS@", "@FETCH_PAGE_CONTROLS@"}, {"data-key=\"", "<kbd>"}},
        {"packaging/fetch.6.in", {"@FETCH_MANUAL_CONTROLS@", "@FETCH_DESCRIPTION_PHRASE@"}, {}},
        {"packaging/org.example.fetch.metainfo.xml.in", {"@FETCH_METAINFO_CONTROLS@", "@PROJECT_DESCRIPTION@"},
         {"<li>"}},
        {"packaging/packaging.cmake", {"${FETCH_PACKAGE_CONTROLS}", "${FETCH_DESCRIPTION_PHRASE}"}, {"' key"}},
        {"packaging/fetch.desktop.in", {"@PROJECT_DESCRIPTION@"}, {}},
    };
    const std::string cmakeLists = readSource("CMakeLists.txt");
    const std::size_t quote = cmakeLists.find("DESCRIPTION \"") + 13;
    ASSERT_GT(quote, 13u) << "project() in CMakeLists.txt has no DESCRIPTION";
    const std::string description = cmakeLists.substr(quote, cmakeLists.find('"', quote) - quote);

    for (const Source& source : sources) {
        const std::string text = readSource(source.path);
        for (const std::string& placeholder : source.placeholders) {
            EXPECT_NE(text.find(placeholder), std::string::npos) << source.path << " lacks " << placeholder;
        }
        std::vector<std::string> copies = source.markup;
        copies.push_back(description.substr(1));  // either case of its first letter
        for (const Control& control : controls) {
            for (const char* words : {control.name, control.page, control.metainfo, control.package}) {
                copies.emplace_back(words);
            }
            copies.push_back("<td>" + std::string(control.what) + "</td>");
            copies.push_back("\n.B " + std::string(control.what) + "\n");
            std::istringstream manual(control.manual);
            for (std::string line; std::getline(manual, line);) {
                copies.push_back(line);
            }
        }
        for (const std::string& copy : copies) {
            if (!copy.empty()) {
                EXPECT_EQ(text.find(copy), std::string::npos) << source.path << " holds a copy: " << copy;
            }
        }
    }
}

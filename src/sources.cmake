# The game's sources, the one list both builds read: the desktop build
# (CMakeLists.txt) and the browser build (web/CMakeLists.txt).
#   FETCH_GAME_SOURCES     everything but main, in both builds
#   FETCH_DESKTOP_SOURCES  the desktop's only; the browser layer has its own
#                          (the sound's start-up at once, and the game's end waiting for
#                          its sound: web/platform/sound_web.cpp)
set(FETCH_GAME_SOURCES
  app/startup.cpp
  app/display.cpp
  app/lighting.cpp
  textures/bmp.cpp
  textures/loader.cpp
  game/state.cpp
  game/input.cpp
  game/sequence.cpp
  game/closing.cpp
  world/maths.cpp
  world/population.cpp
  world/updates.cpp
  world/freewalk.cpp
  world/meter.cpp
  render/dog.cpp
  render/scenery.cpp
  render/trees.cpp
  render/quadrics.cpp
  sound/synth.cpp
  sound/loudness.cpp
  sound/placement.cpp
  sound/sound.cpp
)
set(FETCH_DESKTOP_SOURCES sound/start.cpp sound/finish.cpp)
set(FETCH_MAIN_SOURCE app/main.cpp)
list(TRANSFORM FETCH_GAME_SOURCES PREPEND ${CMAKE_CURRENT_LIST_DIR}/)
list(TRANSFORM FETCH_DESKTOP_SOURCES PREPEND ${CMAKE_CURRENT_LIST_DIR}/)
list(TRANSFORM FETCH_MAIN_SOURCE PREPEND ${CMAKE_CURRENT_LIST_DIR}/)

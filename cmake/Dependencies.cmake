# Every dependency comes from a Debian package installed by scripts/setup.sh.
find_package(Threads REQUIRED)

find_path(IRRLICHT_INCLUDE_DIR irrlicht.h PATH_SUFFIXES irrlicht REQUIRED)
find_library(IRRLICHT_LIBRARY NAMES Irrlicht REQUIRED)
add_library(irrlicht_engine INTERFACE)
# Marked as system headers so that the engine's own warnings do not drown ours.
target_include_directories(irrlicht_engine SYSTEM INTERFACE ${IRRLICHT_INCLUDE_DIR})
target_link_libraries(irrlicht_engine INTERFACE ${IRRLICHT_LIBRARY})

find_path(LOKI_INCLUDE_DIR loki/Singleton.h REQUIRED)
add_library(loki_headers INTERFACE)
target_include_directories(loki_headers SYSTEM INTERFACE ${LOKI_INCLUDE_DIR})

if(QB_TESTS)
  find_package(GTest REQUIRED)
endif()
if(QB_BENCH)
  find_package(benchmark REQUIRED)
endif()

# The Debian package: `cpack -G DEB` in a build folder (scripts/package does it). Its
# dependencies on shared libraries come from dpkg-shlibdeps; OpenAL Soft, which the program
# loads itself when it is there, and the platform plugins Qt draws windows with are named here.
set(CPACK_PACKAGE_NAME ostrel)
set(CPACK_PACKAGE_VENDOR "The Ostrel developers")
set(CPACK_PACKAGE_CONTACT "The Ostrel developers <ostrel@ostrel.example>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "railway driving simulator with route videos")
set(CPACK_PACKAGE_DESCRIPTION
    "Ostrel drives a railway line from the cab: the route video follows the\n\
train's position, a cab panel of gauges and lamps sits below it, and labels\n\
show speed, clock, signals and signs. Electric and diesel traction, air\n\
brakes, block signals, ATS, station stops and sounds. Data packs are\n\
installed from the archives they are downloaded as; a demo line can be\n\
written on first start.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-vlgothic")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libopenal1")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Debian keeps games' programs in /usr/games: they move there in the package's staging folder
# (the demo generator's place relative to them stays the same).
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/games_dir.cmake)
set(CPACK_GENERATOR DEB)
include(CPack)

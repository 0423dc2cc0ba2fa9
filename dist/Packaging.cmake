# The Debian package: `cpack -G DEB` in a build folder (the release preset is meant for it).
# dpkg-shlibdeps derives the dependencies on the shared libraries (Qt 6, OpenSSL, the C++
# run time) from the programs; what the programs load by name at run time is listed by hand.
set(CPACK_PACKAGE_NAME trv81k)
set(CPACK_PACKAGE_VENDOR "The TRV81K developers")
set(CPACK_PACKAGE_CONTACT "The TRV81K developers <developers@trv81k.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "setup software for the TRV81K wireless access point")
set(CPACK_PACKAGE_INSTALL_DIRECTORY trv81k)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The summary above is the first line; CPack formats the rest for the control file.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "A desktop wizard that finds the TRV81K access points on the wired network, logs in to one \
with its device password and writes its new settings: address, name, password, SSID, channel, \
network mode and wireless security, or leaves the wireless settings to the device's \
push-button pairing.

The package also holds trv81k-cli, the same job from the command line; trv81k-emulator, \
emulated access points for work without the hardware; and trv81k-trace, a viewer for the \
wizard's debug lines.")
if(TRV81K_GUI)
  # Qt's window system plugins (xcb, offscreen) come with libqt6gui6, found by shlibdeps.
  # Liberation Sans has Arial's metrics, which the wizard's pages are laid out for; xdg-open
  # opens the user guide; Wayland sessions use Qt's Wayland plugin.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation, xdg-utils, qt6-wayland")
endif()

include(CPack)

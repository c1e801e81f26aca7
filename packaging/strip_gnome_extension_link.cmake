# Run by CPack before it packs: the package makes the GNOME Shell
# extension's link in postinst, for the GNOME Shell it is installed beside,
# so the link `cmake --install` made for this machine stays out of it.
file(GLOB links "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/share/gnome-shell"
               "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/share/gnome-shell")
if(links)
  file(REMOVE_RECURSE ${links})
endif()

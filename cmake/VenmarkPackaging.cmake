# Installing beside the programs, and the Debian package (cpack -G DEB).

# venmark_install_man(page.1): installs a man page of the current folder,
# compressed as Debian wants it.
function(venmark_install_man page)
  set(compressed ${CMAKE_CURRENT_BINARY_DIR}/${page}.gz)
  add_custom_command(OUTPUT ${compressed}
    COMMAND gzip -9 -n -c ${CMAKE_CURRENT_SOURCE_DIR}/${page} > ${compressed}
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${page} VERBATIM)
  add_custom_target(man_${page} ALL DEPENDS ${compressed})
  install(FILES ${compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()

# The metainfo, the copyright and changelog, and the package's settings.
macro(venmark_package)
  set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/venmark)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/${VENMARK_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright DESTINATION ${doc_dir})
  set(changelog ${PROJECT_BINARY_DIR}/changelog.gz)
  add_custom_command(OUTPUT ${changelog}
    COMMAND gzip -9 -n -c ${PROJECT_SOURCE_DIR}/packaging/changelog > ${changelog}
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog VERBATIM)
  add_custom_target(changelog ALL DEPENDS ${changelog})
  install(FILES ${changelog} DESTINATION ${doc_dir})

  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGE_NAME venmark)
  set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
  set(CPACK_PACKAGE_CONTACT "Venmark developers <dev@venmark.org>")
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
      "manufacturers of network devices by their MAC addresses")
  # CPack puts the summary first and indents these lines itself.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "Paste any text in which MAC addresses appear (ipconfig /all, arp -a,
ip neigh, a switch's MAC address table, a log) into Venmark's window,
or pipe it through venmark-scan, and it names the manufacturer of every
address from the IEEE Registration Authority's public listings (MA-L,
MA-M, MA-S and IAB), most specific first. The listings of the ieee-data
package serve until the program fetches fresh ones from the IEEE.

The interface is in Russian.")
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION net)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # The text boxes' monospaced face where the system has none, and the
  # narrow face the captions take on a screen too small for the desktop's.
  # libcurl is loaded when an update starts, so shlibdeps cannot see it.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
      "fonts-dejavu-core, fonts-liberation2, libcurl4 | libcurl4t64")
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "ieee-data")
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  set(CPACK_STRIP_FILES ON)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  include(CPack)
endmacro()

# Installs the build into a DESTDIR with the prefix /usr and checks what a
# user and the desktop rely on: every file in its place, the installed
# program answering from there, and the desktop entry, AppStream metadata
# and file-type package accepted by their validators (each where installed).
#   cmake -DBUILD_DIR=... -DWORK_DIR=... -DDESKTOP_ID=... -P check_install.cmake
set(root ${WORK_DIR}/root)
file(REMOVE_RECURSE ${WORK_DIR})
set(ENV{DESTDIR} ${root})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix /usr
                RESULT_VARIABLE failed OUTPUT_QUIET)
if(failed)
  message(FATAL_ERROR "cmake --install failed")
endif()
set(usr ${root}/usr)

set(expected
  bin/orvanto bin/orvanto-tool libexec/orvanto/orvanto-tool-print
  share/applications/${DESKTOP_ID}.desktop
  share/metainfo/${DESKTOP_ID}.metainfo.xml
  share/mime/packages/${DESKTOP_ID}.xml
  share/orvanto/languages/de.llf
  share/man/man1/orvanto.1.gz share/man/man1/orvanto-tool.1.gz
  share/doc/orvanto/copyright)
foreach(size 16 22 24 32 48 64 128 256)
  list(APPEND expected share/icons/hicolor/${size}x${size}/apps/${DESKTOP_ID}.png)
endforeach()
set(problems)
foreach(file IN LISTS expected)
  if(NOT EXISTS ${usr}/${file})
    list(APPEND problems "missing ${file}")
  endif()
endforeach()

# The installed program answers without a display, and the tool finds its
# printing helper in the helper folder.
execute_process(COMMAND env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ${usr}/bin/orvanto --version
                RESULT_VARIABLE status OUTPUT_VARIABLE version)
if(NOT status EQUAL 0 OR NOT version MATCHES "^Orvanto [0-9]")
  list(APPEND problems "orvanto --version: status ${status}, \"${version}\"")
endif()
execute_process(COMMAND ${usr}/bin/orvanto-tool printers RESULT_VARIABLE status ERROR_VARIABLE error)
if(error MATCHES "Cannot run")
  list(APPEND problems "orvanto-tool printers: ${error}")
endif()

file(READ ${usr}/share/applications/${DESKTOP_ID}.desktop entry)
foreach(wanted "Exec=orvanto %f" "Icon=${DESKTOP_ID}" "GenericName[de]=" "Comment[de]="
               "image/x-orvanto-text-picture;" "image/png;")
  string(FIND "${entry}" "${wanted}" at)
  if(at EQUAL -1)
    list(APPEND problems "the desktop entry lacks ${wanted}")
  endif()
endforeach()

find_program(desktop_validate desktop-file-validate)
if(desktop_validate)
  execute_process(COMMAND ${desktop_validate} ${usr}/share/applications/${DESKTOP_ID}.desktop
                  RESULT_VARIABLE status OUTPUT_VARIABLE said ERROR_VARIABLE said)
  if(NOT status EQUAL 0 OR said MATCHES "error")
    list(APPEND problems "desktop-file-validate: ${said}")
  endif()
endif()
find_program(appstreamcli appstreamcli)
if(appstreamcli)
  execute_process(COMMAND ${appstreamcli} validate --no-net ${usr}/share/metainfo/${DESKTOP_ID}.metainfo.xml
                  RESULT_VARIABLE status OUTPUT_VARIABLE said ERROR_VARIABLE said)
  if(NOT status EQUAL 0)
    list(APPEND problems "appstreamcli validate: ${said}")
  endif()
endif()
# The file-type package compiles, and the database then knows our types by
# name and by content.
find_program(update_mime update-mime-database)
if(update_mime)
  # On a copy: the installed tree stays as a package would leave it.
  file(COPY ${usr}/share/mime/packages DESTINATION ${WORK_DIR}/mime)
  execute_process(COMMAND ${update_mime} ${WORK_DIR}/mime RESULT_VARIABLE status ERROR_VARIABLE said)
  file(READ ${WORK_DIR}/mime/globs2 globs)
  file(READ ${WORK_DIR}/mime/magic magic HEX)
  if(NOT status EQUAL 0 OR said MATCHES "(Error|Warning|Invalid)"
     OR NOT globs MATCHES "image/x-orvanto-text-picture:\\*\\.tep"
     OR NOT globs MATCHES "image/x-orvanto-multiformat-image:\\*\\.omi"
     OR NOT magic MATCHES "4f4d4956312e3000") # "OMIV1.0" and its zero byte
    list(APPEND problems "update-mime-database: status ${status} ${said}")
  endif()
endif()

if(problems)
  list(JOIN problems "\n  " text)
  message(FATAL_ERROR "The installed tree:\n  ${text}")
endif()
message(STATUS "installed tree in ${root}: all in place")

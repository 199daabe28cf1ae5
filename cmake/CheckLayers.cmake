# Holds the layers to what their CMakeLists.txt files declare. Run at every
# configure (included from src/CMakeLists.txt) and as the CTest test
# "LayerIncludes", which reads the sources afresh, so a new include is caught
# by the next test run without a reconfigure.
#
#   cmake -DSOURCE_DIR=<repo> -P cmake/CheckLayers.cmake          check
#   ... -DQT_WIDGET_HEADER_DIRS="<QtWidgets dir>|<QtPrintSupport dir>"
#                                 where Qt's headers are not found by itself
#   cmake -DSOURCE_DIR=<repo> -DUPDATE_README=ON -P cmake/CheckLayers.cmake
#                                                 also rewrite README's graph
#
# It fails when
# - a layer listed in src/CMakeLists.txt has no folder or no orvanto_layer();
# - a folder under src/ declares orvanto_layer() but is not listed;
# - a file of src/<layer>/ (or of a plain sub-folder of it, one without a
#   CMakeLists.txt, which sorts the layer's files by topic) includes a project
#   header ("x/y.h") of a layer that is neither its own nor reachable through
#   the orvanto_layer(... DEPENDS ...) declarations, or of a folder that is no
#   layer;
# - a file outside the widget layers (a folder named qt, ui and app) includes
#   a header of Qt Widgets or Qt Print Support: the layers below stay usable
#   by the tool and by tests without a widget in sight;
# - the layer graph between the markers in README.md differs from the one the
#   declarations give.
# Everything is read from the CMakeLists files: adding a layer needs no change
# here.

cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/OrvantoLayerFiles.cmake)

if(NOT SOURCE_DIR)
  get_filename_component(SOURCE_DIR ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)
endif()
set(src ${SOURCE_DIR}/src)
set(problems "")

# The listed layers, in their order.
file(READ ${src}/CMakeLists.txt listing)
string(REGEX REPLACE "#[^\n]*" "" listing "${listing}")
if(NOT listing MATCHES "set\\(ORVANTO_LAYERS([^)]*)\\)")
  message(FATAL_ERROR "src/CMakeLists.txt: no set(ORVANTO_LAYERS ...) list")
endif()
string(REGEX REPLACE "[ \t\r\n]+" ";" layers "${CMAKE_MATCH_1}")
list(FILTER layers EXCLUDE REGEX "^$")

# Each layer's target name and the layers it declares.
set(targets "")
foreach(layer IN LISTS layers)
  string(MAKE_C_IDENTIFIER "${layer}" key)
  if(NOT EXISTS ${src}/${layer}/CMakeLists.txt)
    set(problems "${problems}  layer \"${layer}\" is listed in src/CMakeLists.txt but src/${layer}/CMakeLists.txt does not exist\n")
    continue()
  endif()
  file(READ ${src}/${layer}/CMakeLists.txt text)
  string(REGEX REPLACE "#[^\n]*" "" text "${text}")
  if(NOT text MATCHES "orvanto_layer\\(([^)]*)\\)")
    set(problems "${problems}  src/${layer}/CMakeLists.txt has no orvanto_layer() line\n")
    continue()
  endif()
  string(REGEX REPLACE "[ \t\r\n]+" ";" arguments "${CMAKE_MATCH_1}")
  list(FILTER arguments EXCLUDE REGEX "^$")
  list(GET arguments 0 name)
  set(target_of_${key} orvanto_${name})
  set(folder_of_orvanto_${name} ${layer})
  list(APPEND targets orvanto_${name})
  # DEPENDS items up to the next keyword; only layers count, not Qt or zlib.
  set(depends "")
  set(in_depends OFF)
  foreach(argument IN LISTS arguments)
    if(argument STREQUAL "DEPENDS")
      set(in_depends ON)
    elseif(argument MATCHES "^[A-Z_]+$")
      set(in_depends OFF)
    elseif(in_depends AND argument MATCHES "^orvanto_")
      list(APPEND depends ${argument})
    endif()
  endforeach()
  set(direct_orvanto_${name} ${depends})
endforeach()

# Folders that declare a layer but are missing from the list would be built
# by nobody and checked by nobody.
file(GLOB_RECURSE layer_lists RELATIVE ${src} ${src}/*/CMakeLists.txt)
foreach(list_file IN LISTS layer_lists)
  get_filename_component(folder ${list_file} DIRECTORY)
  file(READ ${src}/${list_file} text)
  if(text MATCHES "orvanto_layer\\(" AND NOT folder IN_LIST layers)
    set(problems "${problems}  src/${folder} declares a layer but is not listed in src/CMakeLists.txt\n")
  endif()
endforeach()

# Reachable layers: the declared ones and theirs, to any depth.
foreach(target IN LISTS targets)
  if(DEFINED direct_${target})
    foreach(dependency IN LISTS direct_${target})
      if(NOT dependency IN_LIST targets)
        set(problems "${problems}  ${target} depends on ${dependency}, which is no listed layer\n")
      endif()
    endforeach()
  endif()
  set(reach ${direct_${target}})
  set(pending ${reach})
  while(pending)
    list(POP_FRONT pending next)
    foreach(further IN LISTS direct_${next})
      if(NOT further IN_LIST reach)
        list(APPEND reach ${further})
        list(APPEND pending ${further})
      endif()
    endforeach()
  endwhile()
  set(reach_${target} ${reach})
endforeach()

# The headers of Qt's widget modules: every file in their include folders,
# the folders themselves as a prefix, and the best-known names in case Qt's
# headers are not where they are looked for.
set(widget_modules QtWidgets QtPrintSupport)
set(widget_headers QWidget QDialog QMainWindow QApplication QPrinter QPrintDialog ${widget_modules})
string(REPLACE "|" ";" widget_dirs "${QT_WIDGET_HEADER_DIRS}")
foreach(module IN LISTS widget_modules)
  file(GLOB found LIST_DIRECTORIES true /usr/include/qt6/${module} /usr/include/*/qt6/${module})
  list(APPEND widget_dirs ${found})
endforeach()
foreach(dir IN LISTS widget_dirs)
  file(GLOB names RELATIVE ${dir} ${dir}/Q*)
  list(APPEND widget_headers ${names})
endforeach()
list(REMOVE_DUPLICATES widget_headers)
list(JOIN widget_modules "|" widget_prefixes)

# Every project include of every layer file, and the Qt Widgets includes.
foreach(layer IN LISTS layers)
  string(MAKE_C_IDENTIFIER "${layer}" key)
  if(NOT DEFINED target_of_${key})
    continue()
  endif()
  set(own ${target_of_${key}})
  set(widgets_allowed OFF)
  if(layer MATCHES "(^|/)qt$" OR layer STREQUAL "ui" OR layer STREQUAL "app")
    set(widgets_allowed ON)
  endif()
  orvanto_layer_files(files ${src}/${layer})
  foreach(file IN LISTS files)
    file(RELATIVE_PATH shown ${SOURCE_DIR} ${file})
    if(NOT widgets_allowed)
      file(STRINGS ${file} system_includes REGEX "^[ \t]*#[ \t]*include[ \t]*<")
      foreach(line IN LISTS system_includes)
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*<([^>]+)>.*" "\\1" header "${line}")
        if(header IN_LIST widget_headers OR header MATCHES "^(${widget_prefixes})/")
          set(problems "${problems}  ${shown}: includes <${header}> of Qt Widgets or Print Support, which only the folders named qt, ui and app may use\n")
        endif()
      endforeach()
    endif()
    file(STRINGS ${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" header "${line}")
      if(NOT header MATCHES "/")
        continue() # beside the including file: its own layer
      endif()
      get_filename_component(folder ${header} DIRECTORY)
      if(NOT EXISTS ${src}/${folder})
        continue() # not a project header (generated or from a library)
      endif()
      # The layer whose folder holds the header most closely: a plain
      # sub-folder belongs to the layer above it, a sub-folder that is a
      # layer of its own (imaging/codecs) to itself.
      set(owner "")
      set(owner_length 0)
      foreach(target IN LISTS targets)
        set(layer_folder ${folder_of_${target}})
        string(LENGTH "${layer_folder}" length)
        string(FIND "${folder}/" "${layer_folder}/" at)
        if(at EQUAL 0 AND length GREATER owner_length)
          set(owner ${target})
          set(owner_length ${length})
        endif()
      endforeach()
      if(NOT owner)
        set(problems "${problems}  ${shown}: includes \"${header}\", and src/${folder} is no layer\n")
      elseif(NOT owner STREQUAL own AND NOT owner IN_LIST reach_${own})
        set(problems "${problems}  ${shown}: includes \"${header}\" of ${owner}, but ${own} does not build on it (add it to DEPENDS in src/${layer}/CMakeLists.txt, or include the other way round)\n")
      endif()
    endforeach()
  endforeach()
endforeach()

# The graph as README shows it: one row per layer, lowest first.
set(graph "| layer | folder | builds on |\n|---|---|---|\n")
foreach(target IN LISTS targets)
  set(direct "")
  foreach(dependency IN LISTS direct_${target})
    list(APPEND direct "`${dependency}`")
  endforeach()
  list(JOIN direct ", " direct)
  if(direct STREQUAL "")
    set(direct "-")
  endif()
  string(APPEND graph "| `${target}` | `src/${folder_of_${target}}/` | ${direct} |\n")
endforeach()
set(begin_marker "<!-- layer graph: generated by cmake/CheckLayers.cmake -->\n")
set(end_marker "<!-- end of layer graph -->")
file(READ ${SOURCE_DIR}/README.md readme)
string(FIND "${readme}" "${begin_marker}" begin)
string(FIND "${readme}" "${end_marker}" end)
if(begin EQUAL -1 OR end EQUAL -1 OR end LESS begin)
  set(problems "${problems}  README.md lacks the layer graph markers\n")
else()
  string(LENGTH "${begin_marker}" begin_length)
  math(EXPR start "${begin} + ${begin_length}")
  math(EXPR length "${end} - ${start}")
  string(SUBSTRING "${readme}" ${start} ${length} shown_graph)
  if(NOT shown_graph STREQUAL graph)
    if(UPDATE_README)
      string(SUBSTRING "${readme}" 0 ${start} before)
      string(SUBSTRING "${readme}" ${end} -1 after)
      file(WRITE ${SOURCE_DIR}/README.md "${before}${graph}${after}")
      message(STATUS "README.md: layer graph rewritten")
    else()
      set(problems "${problems}  README.md's layer graph is out of date; rewrite it with\n    cmake -DUPDATE_README=ON -P cmake/CheckLayers.cmake\n")
    endif()
  endif()
endif()

# Folders README names must exist.
string(REGEX MATCHALL "`src/[A-Za-z0-9_/]+/`" named "${readme}")
list(REMOVE_DUPLICATES named)
foreach(folder IN LISTS named)
  string(REPLACE "`" "" folder "${folder}")
  if(NOT IS_DIRECTORY ${SOURCE_DIR}/${folder})
    set(problems "${problems}  README.md names ${folder}, which does not exist\n")
  endif()
endforeach()

if(NOT problems STREQUAL "")
  message(FATAL_ERROR "The layers do not hold:\n${problems}")
endif()

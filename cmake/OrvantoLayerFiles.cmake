# The .cpp and .h files of a layer's folder and of its sub-folders at any
# depth, except those under a sub-folder with a CMakeLists.txt of its own,
# which is a layer of its own. Both the build (OrvantoLayer.cmake) and the
# include check (CheckLayers.cmake) take a layer's files from here, so the
# check reads exactly the files the layer builds.
function(orvanto_layer_files result folder)
  if(CMAKE_SCRIPT_MODE_FILE)
    file(GLOB_RECURSE files ${folder}/*.cpp ${folder}/*.h)
  else()
    file(GLOB_RECURSE files CONFIGURE_DEPENDS ${folder}/*.cpp ${folder}/*.h)
  endif()
  file(GLOB_RECURSE own_lists ${folder}/*/CMakeLists.txt)
  set(kept "")
  foreach(file IN LISTS files)
    set(in_sub_layer OFF)
    foreach(list_file IN LISTS own_lists)
      get_filename_component(sub_layer ${list_file} DIRECTORY)
      string(FIND "${file}" "${sub_layer}/" at)
      if(at EQUAL 0)
        set(in_sub_layer ON)
      endif()
    endforeach()
    if(NOT in_sub_layer)
      list(APPEND kept ${file})
    endif()
  endforeach()
  set(${result} ${kept} PARENT_SCOPE)
endfunction()

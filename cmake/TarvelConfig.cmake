# find_package(Tarvel) gives tarvel_add_resources: see TarvelResources.cmake beside this file.
include("${CMAKE_CURRENT_LIST_DIR}/TarvelResources.cmake")

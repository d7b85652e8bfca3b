# Included by tests/support and by tests/x11, which the benchmarks build
# without the rest of the tests.
find_package(Threads REQUIRED)
add_library(quillivar_loopback_site STATIC ${CMAKE_CURRENT_LIST_DIR}/loopback_site.cpp)
target_include_directories(quillivar_loopback_site PUBLIC ${CMAKE_CURRENT_LIST_DIR}/..)
target_link_libraries(quillivar_loopback_site PUBLIC
  quillivar_list_markup quillivar_catalogue quillivar_text Threads::Threads)

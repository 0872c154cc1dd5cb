# Programs that measure the workbench's windows; only with the GUI. Included by the bench
# directory's CMakeLists.txt.
if(KELDAR_BUILD_GUI)
  find_package(Qt6 REQUIRED COMPONENTS Test)
  add_executable(bench_enter_directory ${CMAKE_CURRENT_LIST_DIR}/bench_enter_directory.cpp)
  target_link_libraries(bench_enter_directory PRIVATE keldar_ui Qt6::Test)
  add_executable(soak ${CMAKE_CURRENT_LIST_DIR}/soak.cpp)
  target_link_libraries(soak PRIVATE keldar_ui Qt6::Test)
  add_executable(bench_slideshow ${CMAKE_CURRENT_LIST_DIR}/bench_slideshow.cpp)
  target_link_libraries(bench_slideshow PRIVATE keldar_ui Qt6::Test)
endif()

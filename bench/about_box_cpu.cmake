# The About box's processor-time benchmark, a Windows program that prints its
# figures. Run it with bench/about_box_cpu.sh.
add_executable(about_box_cpu ${PROJECT_SOURCE_DIR}/bench/about_box_cpu.cpp ${QUORVEX_RESOURCES})
add_dependencies(about_box_cpu quorvex_images)
target_link_libraries(about_box_cpu PRIVATE quorvex_core)
target_link_options(about_box_cpu PRIVATE -static)

# The whole start-up, the settings loader with it, to the first paint.
quelmar_bench(NAME bench_startup_full QT SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_startup_full.cpp
              LIBS app forms sound picture_qt text_area platform Qt6::Widgets)
target_compile_definitions(bench_startup_full PRIVATE QUELMAR_ASSETS="${PROJECT_SOURCE_DIR}/assets")

# Start-up and typing in the writing window.
quelmar_bench(NAME bench_startup QT SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_startup.cpp LIBS app Qt6::Widgets)
quelmar_bench(NAME bench_typing QT SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_typing.cpp LIBS text_area platform Qt6::Widgets)
quelmar_bench(NAME bench_document QT SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_document.cpp LIBS text_area Qt6::Widgets)

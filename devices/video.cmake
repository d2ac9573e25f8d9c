target_sources(tessaly_lib PRIVATE ${CMAKE_CURRENT_LIST_DIR}/video_stub.cpp)

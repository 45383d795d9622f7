# The gradient button and its face fills.
cofrel_test(test_face_fills ${CMAKE_CURRENT_LIST_DIR}/test_face_fills.cpp)

# Java sources of the test fixtures are compiled with the build machine's JDK.
# Windows builds test against stand-ins only and need no Java.
if(NOT WIN32)
  set(JAVA_HOME ${LMG_JDK_HOME})
  find_package(Java 17 REQUIRED COMPONENTS Development)
  include(UseJava)
  set(CMAKE_JAVA_COMPILE_FLAGS --release 17)
  set(LMG_JAVA_OUTPUT_DIR ${CMAKE_BINARY_DIR}/java)
endif()

# JNI headers: jni.h from the build machine's JDK. Native builds take the
# JDK's own machine-dependent header; Windows builds take the project's
# jni/win/jni_md.h, which jni.h finds through the include path because the
# JDK's linux/ directory is not on it.
set(LMG_JDK_HOME "/usr/lib/jvm/java-17-openjdk-amd64" CACHE PATH "JDK that supplies jni.h")
if(WIN32)
  find_path(LMG_JNI_H jni.h PATHS ${LMG_JDK_HOME}/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
  set(LMG_JNI_INCLUDE_DIRS ${LMG_JNI_H} ${CMAKE_SOURCE_DIR}/jni/win)
else()
  set(JAVA_HOME ${LMG_JDK_HOME})
  find_package(JNI REQUIRED)
  set(LMG_JNI_INCLUDE_DIRS ${JNI_INCLUDE_DIRS})
endif()
add_library(jni_headers INTERFACE)
target_include_directories(jni_headers SYSTEM INTERFACE ${LMG_JNI_INCLUDE_DIRS})

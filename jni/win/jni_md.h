/*
 * Machine-dependent JNI definitions for Windows targets (x86 and x86_64),
 * used with the JDK's portable jni.h when cross-building.
 *
 * On 32-bit x86 the Java VM calls native methods and exports its invocation
 * functions with the __stdcall convention; on x86_64 there is only one
 * convention and the attribute is ignored.
 */
#ifndef LMG_JNI_MD_WIN_H
#define LMG_JNI_MD_WIN_H

#define JNIEXPORT __declspec(dllexport)
#define JNIIMPORT __declspec(dllimport)
#define JNICALL __stdcall

/* Windows is LLP64: long stays 32 bits wide on both targets. */
typedef long jint;
typedef long long jlong;
typedef signed char jbyte;

#endif

/* libjpeg-turbo's private configuration for the decoder-only build. */
#define BUILD  "nimbrel"
#undef inline
#define INLINE  __inline__ __attribute__((always_inline))
#define THREAD_LOCAL  __thread
#define PACKAGE_NAME  "libjpeg-turbo"
#define VERSION  "2.1.5"
#define SIZEOF_SIZE_T  __SIZEOF_SIZE_T__
#define HAVE_BUILTIN_CTZL
#define FALLTHROUGH  __attribute__((fallthrough));

/* glibc's bits/floatn.h as the structure build's x86_64 code sees it. Apple's
   targets have no __float128, which glibc 2.41 (Debian 13) assumes of every
   clang from 3.9 on; these are glibc's own definitions for a compiler
   without it, as glibc 2.36 (Debian 12) chose for clang. */
#ifndef _BITS_FLOATN_H
#define _BITS_FLOATN_H

#include <features.h>

#define __HAVE_FLOAT128 0
#define __HAVE_DISTINCT_FLOAT128 0
#define __HAVE_FLOAT64X 1
#define __HAVE_FLOAT64X_LONG_DOUBLE 1

#include <bits/floatn-common.h>

#endif

/*
 * Preloaded into a program under test: malloc() refuses, as a machine out
 * of memory would, every single allocation larger than
 * TOLVEX_FAIL_ALLOC_ABOVE bytes; smaller ones, and every one when the
 * variable is not set, go through. Not for sanitizer builds, whose
 * allocators are their own.
 */
#define _GNU_SOURCE
#include <errno.h>
#include <stdlib.h>

extern void* __libc_malloc(size_t size);


void*
malloc(size_t size)
{
	const char* above = getenv("TOLVEX_FAIL_ALLOC_ABOVE");
	if (above != NULL && size > strtoul(above, NULL, 10)) {
		errno = ENOMEM;
		return NULL;
	}
	return __libc_malloc(size);
}

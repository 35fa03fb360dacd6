/* The no-op encoder of bench/encode.sh: exits at once. Linked statically,
 * so that neither the dynamic loader nor a locale is part of what both
 * sides pay for each file. */
int
main(void)
{
	return 0;
}

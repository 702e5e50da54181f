/* Corvane.dll carries the imaging core; everything in it comes from the core's
   static archive.  This file only gives the library a translation unit. */
int CorvaneVersion(void) { return 6; }

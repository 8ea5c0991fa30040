/* Resource ids shared by nimbrel.rc and the C++ code.  Keep this header
   free of includes and of anything but plain #defines: windres reads it
   too, and its preprocessor only understands simple macros. */
#ifndef NIMBREL_RESOURCE_IDS_H
#define NIMBREL_RESOURCE_IDS_H

/* The exe's icon (shown by Explorer) and the window/tray icon group; the
   program puts nimbrel.ico back together from it for its icon image. */
#define NIMBREL_ICON_ID 1

/* The about window's banner, raw JPEG bytes. */
#define NIMBREL_BANNER_ID 101

/* The side-by-side manifest; 1 is the id the loader looks for in an exe. */
#define NIMBREL_MANIFEST_ID 1

#endif

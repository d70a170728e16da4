/* The add-in's version information. Plain macros, because the Windows resource
   compiler reads this file too (for the server's VERSIONINFO resource); the
   native build uses the same values directly. */
#ifndef OSTREL_VERSION_INFO_H
#define OSTREL_VERSION_INFO_H

#define OSTREL_VERSION_MAJOR 1
#define OSTREL_VERSION_MINOR 0
#define OSTREL_VERSION_REVISION 2
#define OSTREL_VERSION_TEXT "1.00.0002"
#define OSTREL_FILE_DESCRIPTION "Quarro Velloran (for Outlook)"
#define OSTREL_LEGAL_COPYRIGHT "Copyright \251 2026 The Ostrel developers"
#define OSTREL_COMMENTS                                                                       \
  "Warning: this computer program is protected by copyright law and international treaties. " \
  "Unauthorized reproduction or distribution of this program, or any portion of it, may "     \
  "result in severe civil and criminal penalties, and will be prosecuted to the maximum "     \
  "extent possible under the law."
#define OSTREL_PRODUCT_NAME "Quarro Payment Request"
#define OSTREL_INTERNAL_NAME "Ostrel"
#define OSTREL_ORIGINAL_FILENAME "Ostrel.dll"

#endif

// A header of host paths, which only tests of a program folder may include.

// A Windows-shaped header, which a program folder may include.

// The program folder.

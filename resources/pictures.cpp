// Pictures drawn by the program.

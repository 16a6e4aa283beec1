// Help and about windows.

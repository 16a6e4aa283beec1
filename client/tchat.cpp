// The table client window.

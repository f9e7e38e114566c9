// placeholder, replaced by the real tests

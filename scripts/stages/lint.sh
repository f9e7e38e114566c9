# placeholder: this stage is being built
